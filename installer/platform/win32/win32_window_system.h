// The Win32 System's windows: the platform it runs on, message boxes, dialogs and their
// items, the shell's folder browser and links, and the worker thread.
#pragma once

#include "platform/system.h"

namespace qinstall {

// The program's instance (for dialogs and icons) and the dialog procedure of each dialog
// resource, as a DLGPROC. Set once at entry, before the first dialog.
void SetWin32Program(void* instance, void* (*procedureFor)(int resource));

class Win32WindowSystem : public WindowSystem {
 public:
  std::uint32_t PlatformId() override;
  int ShowMessageBox(WindowHandle owner, const std::string& text, const std::string& caption,
                     unsigned style) override;

  WindowHandle CreateModelessDialog(int resource) override;
  void DestroyDialog(WindowHandle dialog) override;
  void CloseWindow(WindowHandle window) override;
  void PostQuit(int code) override;
  void SetCaption(WindowHandle window, const std::string& text) override;
  void SetCaptionIcon(WindowHandle window, int iconResource) override;
  void SetItemText(WindowHandle dialog, int id, const std::string& text) override;
  std::string GetItemText(WindowHandle dialog, int id, std::size_t maxChars) override;
  void SetItemChecked(WindowHandle dialog, int id, bool checked) override;
  void EnableItem(WindowHandle dialog, int id, bool enabled) override;
  void FocusItem(WindowHandle dialog, int id) override;
  void SetCaretToEnd(WindowHandle dialog, int id) override;
  void ProgressSetRange(WindowHandle dialog, int id, std::uint32_t minimum,
                        std::uint32_t maximum) override;
  void ProgressSetPos(WindowHandle dialog, int id, std::uint32_t position) override;
  void ProgressDelta(WindowHandle dialog, int id, std::int32_t delta) override;

  FolderChoice BrowseForFolder(WindowHandle owner, const std::string& title, BrowseRoot root,
                               std::string* path) override;
  bool SaveShellLink(const ShellLink& link) override;
  bool StartWorker(void (*procedure)()) override;
};

}  // namespace qinstall
