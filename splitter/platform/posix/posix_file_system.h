// The splitter's System on POSIX: real files behind a DOS drive table, like Wine's.
// Removable drives may carry a simulated capacity so that spanning works on any folder.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/posix/folder_listing.h"
#include "platform/posix/oem_code_page.h"
#include "platform/posix/registry_file.h"
#include "platform/system.h"

namespace parcelo {

class PosixSystem : public System {
 public:
  PosixSystem() = default;
  ~PosixSystem() override;
  PosixSystem(const PosixSystem&) = delete;
  PosixSystem& operator=(const PosixSystem&) = delete;

  // capacity 0: the drive reports the host file system's free space.
  void MapDrive(char letter, const std::string& hostFolder, DriveType type,
                std::uint64_t capacity = 0);

  // The host path of a DOS path. Existing components match without case and by their
  // alias; the others are taken as written. False for an unmapped drive.
  bool ToHostPath(const std::string& dosPath, std::string* hostPath) const;

  // Off: no name has an alias, as on a volume with short names turned off, and the
  // engine writes long names into the join file.
  void SetShortNames(bool on) { shortNames_ = on; }

  // The OEM code page of the join file and of the aliases (437 unless set).
  void SetOemCodePage(const OemCodePage& page) { codePage_ = page; }
  const OemCodePage& oemCodePage() const { return codePage_; }

  // "Insert another disk": moves everything the drive holds into archiveFolder.
  bool ChangeDisk(char letter, const std::string& archiveFolder);

  FileHandle OpenForReading(const std::string& path, std::uint32_t* error) override;
  FileHandle CreateForWriting(const std::string& path, std::uint32_t* error) override;
  IoResult ReadFile(FileHandle file, void* buffer, std::uint32_t count) override;
  IoResult WriteFile(FileHandle file, const void* data, std::uint32_t count) override;
  void CloseFile(FileHandle file) override;
  // Inside the kernel (copy_file_range) where it can, through the buffer in steps with a
  // tap; see chunk_copy.cpp.
  ChunkResult CopyChunk(FileHandle source, FileHandle piece, FileHandle backup, void* buffer,
                        std::uint32_t count, ChunkTap* tap = nullptr) override;
  FileHandle CreateNewFile(const std::string& path, std::uint32_t* error) override;
  bool RenameNoReplace(const std::string& from, const std::string& to,
                       std::uint32_t* error) override;
  bool FindFile(const std::string& path, FoundFile* found) override;
  bool RemoveFile(const std::string& path) override;
  bool IsSameFile(const std::string& a, const std::string& b) override;
  std::vector<std::string> FolderNames(const std::string& folder) override;
  std::vector<FolderEntry> ListFolder(const std::string& folder) override;
  bool NamesHaveCase() override { return true; }
  bool CanNameFile(const std::string& path) override;
  bool MakesShortNames() override { return shortNames_; }
  // A file in /tmp named after the folder's device and inode and the name in capitals,
  // held with flock: every user's runs meet there, and the kernel lets go of it when a
  // run dies.
  bool LockName(const std::string& folder, const std::string& name, NameLock* lock) override;
  void UnlockName(NameLock lock) override;
  bool ToOemText(const std::string& text, std::string* oem) override {
    return codePage_.ToOem(text, oem);
  }
  std::string FromOemText(const std::string& oem) override { return codePage_.FromOem(oem); }
  // By the code page's capitals, as a FAT volume of that page compares names.
  bool EqualIgnoringCase(const std::string& a, const std::string& b) override;
  DriveType DriveTypeOf(const std::string& root) override;
  std::uint64_t FreeBytes(const std::string& root) override;
  std::uint32_t ClusterBytes(const std::string& root) override;
  void* AllocateBuffer(std::uint32_t size) override;
  void FreeBuffer(void* buffer) override;

  // There are no windows here: a front end or test wraps this System for those.
  int ShowMessageBox(WindowHandle owner, const std::string& text, const std::string& caption,
                     unsigned style) override;
  void SetItemText(WindowHandle, int, const std::string&) override {}
  void ProgressSetRange(WindowHandle, int, std::uint32_t, std::uint32_t) override {}
  void ProgressSetPos(WindowHandle, int, std::uint32_t) override {}
  void ProgressDelta(WindowHandle, int, std::int32_t) override {}
  void UpdateToolTip(WindowHandle, WindowHandle, int, const std::string&) override {}
  void CloseWindow(WindowHandle) override {}
  void PlaySystemSound(const std::string&) override {}

  // The registry lives in a file (see RegistryFile); without one, in memory.
  void SetRegistryFile(const std::string& path) { registry_.SetPath(path); }
  RegistryKey CreateMachineKey(const std::string& subKey, bool* created) override {
    return registry_.CreateKey(subKey, created);
  }
  bool QueryDword(RegistryKey key, const std::string& name, std::uint32_t* value) override {
    return registry_.QueryDword(key, name, value);
  }
  bool SetDword(RegistryKey key, const std::string& name, std::uint32_t value) override {
    return registry_.SetDword(key, name, value);
  }
  void CloseKey(RegistryKey key) override { registry_.CloseKey(key); }
  // Why the registry file could not be read or written; empty when it could.
  std::string RegistryProblem() const { return registry_.Problem(); }

  std::string GetItemText(WindowHandle, int) override { return {}; }
  bool IsItemChecked(WindowHandle, int) override { return false; }
  void SetItemChecked(WindowHandle, int, bool) override {}
  void EnableItem(WindowHandle, int, bool) override {}
  void FocusItem(WindowHandle, int) override {}
  void ListInsert(WindowHandle, int, int, const std::string&) override {}
  int ListSelection(WindowHandle, int) override { return -1; }
  void ListSelect(WindowHandle, int, int) override {}
  void SetCaretToEnd(WindowHandle, int) override {}
  WindowHandle CreateModelessDialog(int) override { return nullptr; }
  int RunModalDialog(int, WindowHandle) override { return 0; }
  void EndModalDialog(WindowHandle, int) override {}
  void DestroyDialog(WindowHandle) override {}
  void PostQuit() override {}
  void SetTopmost(WindowHandle, bool) override {}
  void SetSmallIcon(WindowHandle) override {}
  void ShowProgramIcon(WindowHandle, int) override {}
  void ReleaseProgramIcon(WindowHandle, int) override {}
  void AcceptDroppedFiles(WindowHandle) override {}
  WindowHandle CreateToolTips(WindowHandle) override { return nullptr; }
  void AddToolTip(WindowHandle, WindowHandle, int, const std::string&) override {}
  bool BrowseForFile(WindowHandle, const std::string&, std::string*) override { return false; }
  FolderChoice BrowseForFolder(WindowHandle, const std::string&, std::string*) override {
    return FolderChoice::Cancelled;
  }
  void ShowHelpContents(WindowHandle, const std::string&) override {}
  void ShowContextHelp(WindowHandle, const std::string&, const std::uint32_t*) override {}
  void ShellOpen(const std::string&) override {}
  // No message loop to keep alive here: the worker runs on the caller's thread.
  bool StartWorker(int (*procedure)()) override {
    procedure();
    return true;
  }

 private:
  ChunkResult CopyChunkInSteps(FileHandle source, FileHandle piece, FileHandle backup,
                               void* buffer, std::uint32_t count, ChunkTap* tap);

  struct Drive {
    std::string hostFolder;
    DriveType type = DriveType::Fixed;
    std::uint64_t capacity = 0;
  };

  const Drive* DriveOf(const std::string& dosPath) const;
  bool HasSimulatedCapacity(FileHandle file) const;
  std::uint64_t UsedBytes(const Drive& drive) const;

  std::map<char, Drive> drives_;
  mutable std::mutex mutex_;
  std::map<FileHandle, char> writeDrives_;  // open files on drives with a capacity
  RegistryFile registry_;
  bool shortNames_ = true;
  OemCodePage codePage_;
  mutable FolderListings listings_;
  struct HeldLock {
    int fd;
    std::string path;
  };
  std::map<NameLock, HeldLock> locks_;
  NameLock nextLock_ = 1;
};

}  // namespace parcelo
