// The installer's windows on POSIX: there are none. A message box is a line on the error
// stream, a shell link a small text file (see link_file.h), and no dialog or worker starts.
#pragma once

#include "platform/posix/posix_file_system.h"
#include "platform/system.h"

namespace qinstall {

class PosixWindowSystem : public WindowSystem {
 public:
  explicit PosixWindowSystem(PosixFileSystem& files) : files_(files) {}

  std::uint32_t PlatformId() override { return kPlatformWindows; }
  int ShowMessageBox(WindowHandle owner, const std::string& text, const std::string& caption,
                     unsigned style) override;
  WindowHandle CreateModelessDialog(int) override { return nullptr; }
  void DestroyDialog(WindowHandle) override {}
  void CloseWindow(WindowHandle) override {}
  void PostQuit(int) override {}
  void SetCaption(WindowHandle, const std::string&) override {}
  void SetCaptionIcon(WindowHandle, int) override {}
  void SetItemText(WindowHandle, int, const std::string&) override {}
  std::string GetItemText(WindowHandle, int, std::size_t) override { return {}; }
  void SetItemChecked(WindowHandle, int, bool) override {}
  void EnableItem(WindowHandle, int, bool) override {}
  void FocusItem(WindowHandle, int) override {}
  void SetCaretToEnd(WindowHandle, int) override {}
  void ProgressSetRange(WindowHandle, int, std::uint32_t, std::uint32_t) override {}
  void ProgressSetPos(WindowHandle, int, std::uint32_t) override {}
  void ProgressDelta(WindowHandle, int, std::int32_t) override {}
  FolderChoice BrowseForFolder(WindowHandle, const std::string&, BrowseRoot,
                               std::string*) override {
    return FolderChoice::Cancelled;
  }
  bool SaveShellLink(const ShellLink& link) override;
  bool StartWorker(void (*)()) override { return false; }

 private:
  PosixFileSystem& files_;
};

}  // namespace qinstall
