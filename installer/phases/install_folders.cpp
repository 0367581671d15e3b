// The folder phase: the destination folder and the Start Menu folder, each made only when
// missing, and which of them this run made.
#include <cstring>

#include "package/install_package.h"
#include "phases/install_paths.h"
#include "phases/install_phases.h"
#include "phases/install_run.h"

namespace qinstall {
namespace {

int FailFolders(const char* message) {
  Windows().ShowMessageBox(Run().progressDialog, message, "Error", kMbOk | kMbIconError);
  CloseProgressDialog();
  return 0;
}

constexpr char kDestinationMessage[] =
    "Error creating destination directory. Directory must be created inside an existing directory.";
constexpr char kStartMenuMessage[] =
    "Error creating shortcut folder. Folder must be created inside an existing folder.";

// Creates path unless something of that name is there; true when it is there now.
bool MakeFolder(const std::string& path, bool* created) {
  if (Files().PathExists(path)) return true;
  std::uint32_t error = 0;
  if (!Files().CreateFolder(path, &error)) return false;
  *created = true;
  return true;
}

}  // namespace

int CreateInstallFolders() {
  InstallRun& run = Run();
  InstallPackage& package = Package();
  run.destinationCreated = false;
  run.startMenuFolderCreated = false;

  // The full form goes into the record even when no Start Menu link is made, so a form
  // too long to hold is refused before anything is created.
  std::string startMenu;
  if (!BuildPath(&startMenu, {Files().WindowsFolder(), "\\Start Menu\\", package.startMenuFolder})) {
    return FailFolders(kStartMenuMessage);
  }
  std::memcpy(package.startMenuFolder, startMenu.c_str(), startMenu.size() + 1);

  if (!MakeFolder(package.destinationFolder, &run.destinationCreated)) {
    return FailFolders(kDestinationMessage);
  }
  if (!package.shortcuts.empty() && Choices().startMenuShortcuts &&
      !MakeFolder(package.startMenuFolder, &run.startMenuFolderCreated)) {
    return FailFolders(kStartMenuMessage);
  }
  return 1;
}

}  // namespace qinstall
