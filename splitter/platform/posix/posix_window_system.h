// The splitter's window table on POSIX. There are no windows here: a front end or test
// wraps this table for those; a message box goes to standard error with the cautious answer.
#pragma once

#include <string>

#include "platform/system.h"

namespace parcelo {

class PosixWindowSystem final : public WindowSystem {
 public:
  int ShowMessageBox(WindowHandle owner, const std::string& text, const std::string& caption,
                     unsigned style) override;
  void SetItemText(WindowHandle, int, const std::string&) override {}
  void ProgressSetRange(WindowHandle, int, std::uint32_t, std::uint32_t) override {}
  void ProgressSetPos(WindowHandle, int, std::uint32_t) override {}
  void ProgressDelta(WindowHandle, int, std::int32_t) override {}
  void UpdateToolTip(WindowHandle, WindowHandle, int, const std::string&) override {}
  void CloseWindow(WindowHandle) override {}
  void PlaySystemSound(const std::string&) override {}

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
};

}  // namespace parcelo
