#include "ui/install_dialog.h"

#include <cstring>
#include <string>

#include "package/install_package.h"
#include "phases/install_run.h"
#include "phases/install_worker.h"
#include "resources/resource_ids.h"
#include "ui/destination_text.h"

namespace qinstall {
namespace {

constexpr std::size_t kMaxPath = kPathSize - 1;

void ShowError(WindowHandle owner, const std::string& text) {
  Windows().ShowMessageBox(owner, text, "Error", kMbOk | kMbIconError);
}

// Which places the package's shortcut entries can go to decides which choices are offered.
void EnableShortcutChoices(WindowHandle dialog) {
  const InstallPackage& package = Package();
  if (package.shortcuts.empty()) {
    Windows().EnableItem(dialog, IDC_START_MENU_CHECK, false);
    Windows().EnableItem(dialog, IDC_START_MENU_EDIT, false);
    Windows().EnableItem(dialog, IDC_DESKTOP_CHECK, false);
    return;
  }
  bool startMenu = false;
  bool desktop = false;
  for (const ShortcutEntry& entry : package.shortcuts) {
    const auto code = static_cast<unsigned>(entry.placement);
    startMenu = startMenu || code == 0 || code == 1;
    desktop = desktop || code == 0 || code == 2;
  }
  if (!startMenu) {
    Choices().startMenuShortcuts = false;
    Windows().SetItemChecked(dialog, IDC_START_MENU_CHECK, false);
    Windows().EnableItem(dialog, IDC_START_MENU_CHECK, false);
    Windows().EnableItem(dialog, IDC_START_MENU_EDIT, false);
    Windows().EnableItem(dialog, IDC_START_MENU_BROWSE, false);
  }
  if (!desktop) Windows().EnableItem(dialog, IDC_DESKTOP_CHECK, false);
}

// Reads one folder field into its package buffer. A text that does not fit is refused
// rather than cut, since a cut path names another folder.
bool ReadFolderField(WindowHandle dialog, int id, char* buffer, const char* tooLong) {
  const std::string text = Windows().GetItemText(dialog, id, kMaxPath + 1);
  if (text.size() > kMaxPath) {
    ShowError(dialog, tooLong);
    Windows().FocusItem(dialog, id);
    return false;
  }
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return true;
}

void Install(WindowHandle dialog) {
  InstallPackage& package = Package();
  if (!ReadFolderField(dialog, IDC_DESTINATION_EDIT, package.destinationFolder,
                       "The destination folder name is too long.") ||
      !ReadFolderField(dialog, IDC_START_MENU_EDIT, package.startMenuFolder,
                       "The Start Menu folder name is too long.")) {
    return;
  }
  Windows().DestroyDialog(dialog);
  Run().installDialog = nullptr;

  WindowHandle progress = Windows().CreateModelessDialog(IDD_PROGRESS);
  if (progress == nullptr) {
    // Nothing is left on screen to end the program through.
    ShowError(nullptr, "Out of memory.");
    Windows().PostQuit(0);
    return;
  }
  Run().progressDialog = progress;
  cancelRequested = 0;
  workerStage = WorkerStage::Running;
  if (!Windows().StartWorker(&InstallWorker)) {
    workerStage = WorkerStage::Idle;
    ShowError(progress, "Out of memory.");
    Windows().CloseWindow(progress);
  }
}

void ShowChosenFolder(WindowHandle dialog, int id, const std::string& text) {
  Windows().SetItemText(dialog, id, text);
  Windows().FocusItem(dialog, id);
  Windows().SetCaretToEnd(dialog, id);
}

// The browser's outcome; true with *path set when a folder was chosen.
bool Browse(WindowHandle dialog, const char* title, BrowseRoot root, std::string* path) {
  switch (Windows().BrowseForFolder(dialog, title, root, path)) {
    case FolderChoice::Chosen:
      return true;
    case FolderChoice::OutOfMemory:
      ShowError(dialog, "Out of memory.");
      return false;
    default:
      return false;
  }
}

void BrowseDestination(WindowHandle dialog) {
  std::string chosen;
  if (!Browse(dialog, "Choose Installation Folder", BrowseRoot::Desktop, &chosen)) return;
  ShowChosenFolder(dialog, IDC_DESTINATION_EDIT,
                   DestinationWithProduct(chosen, Package().productName));
}

void BrowseStartMenu(WindowHandle dialog) {
  std::string chosen;
  if (!Browse(dialog, "Choose Shortcut Folder", BrowseRoot::Programs, &chosen)) return;
  const std::string folder =
      StartMenuWithProduct(chosen, Files().WindowsFolder(), Package().productName);
  if (folder.empty()) return;  // not reachable from the Start Menu folder
  ShowChosenFolder(dialog, IDC_START_MENU_EDIT, folder);
}

void ToggleStartMenu(WindowHandle dialog) {
  bool& on = Choices().startMenuShortcuts;
  on = !on;
  Windows().EnableItem(dialog, IDC_START_MENU_EDIT, on);
  Windows().EnableItem(dialog, IDC_START_MENU_BROWSE, on);
}

}  // namespace

void InstallDialogInit(WindowHandle dialog) {
  const InstallPackage& package = Package();
  Run().installDialog = dialog;
  cancelRequested = 0;
  Windows().SetCaptionIcon(dialog, IDI_DIALOG);
  Windows().SetCaption(dialog, std::string("Install ") + package.productName);
  Choices().startMenuShortcuts = true;
  Choices().desktopShortcuts = false;
  Windows().SetItemChecked(dialog, IDC_START_MENU_CHECK, true);
  Windows().SetItemText(dialog, IDC_DESTINATION_EDIT, ExpandDestination(package.destinationFolder));
  Windows().SetItemText(dialog, IDC_START_MENU_EDIT, package.startMenuFolder);
  EnableShortcutChoices(dialog);
}

bool InstallDialogCommand(WindowHandle dialog, int id) {
  switch (id) {
    case IDC_INSTALL: Install(dialog); return true;
    case IDC_CANCEL: Windows().CloseWindow(dialog); return true;
    case IDC_DESTINATION_BROWSE: BrowseDestination(dialog); return true;
    case IDC_START_MENU_BROWSE: BrowseStartMenu(dialog); return true;
    case IDC_START_MENU_CHECK: ToggleStartMenu(dialog); return true;
    case IDC_DESKTOP_CHECK:
      Choices().desktopShortcuts = !Choices().desktopShortcuts;
      return true;
    default:
      return false;
  }
}

void InstallDialogClose(WindowHandle dialog) {
  Windows().DestroyDialog(dialog);
  Run().installDialog = nullptr;
  Windows().PostQuit(0);
}

}  // namespace qinstall
