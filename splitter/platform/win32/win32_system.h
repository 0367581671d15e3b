// The System of the shipped program: straight onto the ANSI Win32 API, limited to what
// the Windows 95 family offers.
#pragma once

#include "platform/system.h"

namespace parcelo {

class Win32System final : public System {
 public:
  Win32System();
  ~Win32System() override;
  Win32System(const Win32System&) = delete;
  Win32System& operator=(const Win32System&) = delete;

  FileHandle OpenForReading(const std::string& path, std::uint32_t* error) override;
  FileHandle CreateForWriting(const std::string& path, std::uint32_t* error) override;
  IoResult ReadFile(FileHandle file, void* buffer, std::uint32_t count) override;
  IoResult WriteFile(FileHandle file, const void* data, std::uint32_t count) override;
  void CloseFile(FileHandle file) override;
  // With a tap (the command line's checksums), in steps that stay in the processor's cache
  // between the read, the tap and the writes; without, one ReadFile and one WriteFile each.
  ChunkResult CopyChunk(FileHandle source, FileHandle piece, FileHandle backup, void* buffer,
                        std::uint32_t count, ChunkTap* tap = nullptr) override;
  FileHandle CreateNewFile(const std::string& path, std::uint32_t* error) override;
  bool RenameNoReplace(const std::string& from, const std::string& to,
                       std::uint32_t* error) override;
  bool FindFile(const std::string& path, FoundFile* found) override;
  bool RemoveFile(const std::string& path) override;
  bool IsSameFile(const std::string& a, const std::string& b) override;
  std::vector<std::string> FolderNames(const std::string& folder) override;
  // No Windows of the 95 family has links; later ones mark placeholders of cloud folders
  // as reparse points too, which are files to a program that reads them.
  std::vector<FolderEntry> ListFolder(const std::string& folder) override;
  bool NamesHaveCase() override { return false; }
  bool CanNameFile(const std::string& path) override;
  bool MakesShortNames() override { return false; }
  // A named mutex for the folder's short path and the name, both in capitals: it lives as
  // long as a handle to it, so a run that dies lets go of it.
  bool LockName(const std::string& folder, const std::string& name, NameLock* lock) override;
  void UnlockName(NameLock lock) override;
  bool ToOemText(const std::string& text, std::string* oem) override;
  std::string FromOemText(const std::string& oem) override;
  bool EqualIgnoringCase(const std::string& a, const std::string& b) override;

  DriveType DriveTypeOf(const std::string& root) override;
  std::uint64_t FreeBytes(const std::string& root) override;
  std::uint32_t ClusterBytes(const std::string& root) override;

  void* AllocateBuffer(std::uint32_t size) override;
  void FreeBuffer(void* buffer) override;

  int ShowMessageBox(WindowHandle owner, const std::string& text, const std::string& caption,
                     unsigned style) override;
  void SetItemText(WindowHandle dialog, int id, const std::string& text) override;
  // The Win95 progress bar only counts to 65535; larger ranges are scaled down here.
  void ProgressSetRange(WindowHandle dialog, int id, std::uint32_t minimum,
                        std::uint32_t maximum) override;
  void ProgressSetPos(WindowHandle dialog, int id, std::uint32_t position) override;
  void ProgressDelta(WindowHandle dialog, int id, std::int32_t delta) override;
  void UpdateToolTip(WindowHandle toolTip, WindowHandle dialog, int id,
                     const std::string& text) override;
  void CloseWindow(WindowHandle window) override;
  void PlaySystemSound(const std::string& alias) override;

  // The program's instance, its icon, and the dialog procedure of each resource.
  void SetProgram(void* instance, void* (*procedureFor)(int resource));

  RegistryKey CreateMachineKey(const std::string& subKey, bool* created) override;
  bool QueryDword(RegistryKey key, const std::string& name, std::uint32_t* value) override;
  bool SetDword(RegistryKey key, const std::string& name, std::uint32_t value) override;
  void CloseKey(RegistryKey key) override;

  std::string GetItemText(WindowHandle dialog, int id) override;
  bool IsItemChecked(WindowHandle dialog, int id) override;
  void SetItemChecked(WindowHandle dialog, int id, bool checked) override;
  void EnableItem(WindowHandle dialog, int id, bool enabled) override;
  void FocusItem(WindowHandle dialog, int id) override;
  void ListInsert(WindowHandle dialog, int id, int index, const std::string& text) override;
  int ListSelection(WindowHandle dialog, int id) override;
  void ListSelect(WindowHandle dialog, int id, int index) override;
  void SetCaretToEnd(WindowHandle dialog, int id) override;
  WindowHandle CreateModelessDialog(int resource) override;
  int RunModalDialog(int resource, WindowHandle owner) override;
  void EndModalDialog(WindowHandle dialog, int result) override;
  void DestroyDialog(WindowHandle dialog) override;
  void PostQuit() override;
  void SetTopmost(WindowHandle window, bool topmost) override;
  void SetSmallIcon(WindowHandle window) override;
  void ShowProgramIcon(WindowHandle dialog, int id) override;
  void ReleaseProgramIcon(WindowHandle dialog, int id) override;
  void AcceptDroppedFiles(WindowHandle dialog) override;
  WindowHandle CreateToolTips(WindowHandle dialog) override;
  void AddToolTip(WindowHandle toolTip, WindowHandle dialog, int id,
                  const std::string& text) override;

  bool BrowseForFile(WindowHandle owner, const std::string& title, std::string* path) override;
  FolderChoice BrowseForFolder(WindowHandle owner, const std::string& title,
                               std::string* path) override;
  void ShowHelpContents(WindowHandle window, const std::string& helpFile) override;
  void ShowContextHelp(WindowHandle item, const std::string& helpFile,
                       const std::uint32_t* table) override;
  void ShellOpen(const std::string& address) override;
  bool StartWorker(int (*procedure)()) override;

 private:
  // Kept out of the header so that only the .cpp sees <windows.h>.
  struct ProgressBars;
  ProgressBars* progress_;
  void* instance_ = nullptr;
  void* icon_ = nullptr;
  void* (*procedureFor_)(int) = nullptr;
  struct HeldLock {
    NameLock mutex;
    std::string name;
  };
  std::vector<HeldLock> locks_;
};

}  // namespace parcelo
