// The window table of the shipped program: windows, dialogs, the shell and the worker on
// the ANSI Win32 API of the Windows 95 family.
#pragma once

#include <string>

#include "platform/system.h"

namespace parcelo {

class Win32WindowSystem final : public WindowSystem {
 public:
  Win32WindowSystem();
  ~Win32WindowSystem() override;
  Win32WindowSystem(const Win32WindowSystem&) = delete;
  Win32WindowSystem& operator=(const Win32WindowSystem&) = delete;

  // The program's instance, its icon, and the dialog procedure of each resource.
  void SetProgram(void* instance, void* (*procedureFor)(int resource));

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
};

}  // namespace parcelo
