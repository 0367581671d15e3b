// The shortcut phase: a link per entry in the Start Menu folder, on the desktop or both,
// as the entry's placement and the user's choices allow, with check point B.
#include "package/install_package.h"
#include "phases/icon_location.h"
#include "phases/install_paths.h"
#include "phases/install_phases.h"
#include "phases/install_run.h"
#include "phases/run_writes.h"

namespace qinstall {
namespace {

// A link that cannot be made is passed over without a word, as is one whose earlier
// occupant could not be kept aside (saving over it could not be taken back).
void MakeLink(const std::string& folder, const ShortcutEntry& entry, const std::string& target,
              const std::string& iconPath, int iconIndex) {
  const char* destination = Package().destinationFolder;
  std::string linkFile;
  if (!BuildPath(&linkFile, {folder, "\\", entry.name})) return;
  std::string kept;
  if (Files().PathExists(linkFile) && !Files().IsFolder(linkFile)) {
    kept = KeepAside(linkFile);
    if (kept.empty()) return;
  }
  if (CreateShellLink(target.c_str(), nullptr, linkFile.c_str(), entry.description,
                      iconPath.c_str(), iconIndex, destination)) {
    NoteWrite(RunWrite::Kind::Link, linkFile, kept);
  } else if (!kept.empty()) {
    std::uint32_t error = 0;
    Files().RemoveFile(linkFile, &error);
    PutBack(kept, linkFile);
  }
}

}  // namespace

int CreateShortcuts() {
  const InstallPackage& package = Package();
  const InstallChoices& choices = Choices();
  for (const ShortcutEntry& entry : package.shortcuts) {
    if (CancelConfirmed()) {
      RemoveCopiedFiles();
      RemoveShortcuts();
      RemoveCreatedFolders();
      CloseProgressDialog();
      return 0;
    }
    std::string target;
    std::string iconPath;
    if (BuildPath(&target, {package.destinationFolder, "\\", entry.target}) &&
        BuildPath(&iconPath, {package.destinationFolder, "\\", entry.iconLocation})) {
      const int iconIndex = SplitIconIndex(&iconPath);
      const bool startMenu = entry.placement == ShortcutPlacement::Both ||
                             entry.placement == ShortcutPlacement::StartMenuOnly;
      const bool desktop = entry.placement == ShortcutPlacement::Both ||
                           entry.placement == ShortcutPlacement::DesktopOnly;
      if (startMenu && choices.startMenuShortcuts) {
        MakeLink(package.startMenuFolder, entry, target, iconPath, iconIndex);
      }
      if (desktop && choices.desktopShortcuts) {
        MakeLink(DesktopFolder(), entry, target, iconPath, iconIndex);
      }
    }
    StepProgress();
  }
  return 1;
}

}  // namespace qinstall
