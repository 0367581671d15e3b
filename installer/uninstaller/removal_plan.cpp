#include "uninstaller/removal_plan.h"

#include "uninstaller/record_checks.h"
#include "uninstaller/uninstall_names.h"

namespace qinstall {

const char kUninstallKeyPrefix[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

namespace {

// The choices byte uses the placement codes, with 3 for neither choice.
bool StartMenuChosen(std::uint8_t choices) { return choices == 0 || choices == 1; }
bool DesktopChosen(std::uint8_t choices) { return choices == 0 || choices == 2; }

bool GoesToStartMenu(ShortcutPlacement placement) {
  return placement == ShortcutPlacement::Both || placement == ShortcutPlacement::StartMenuOnly;
}
bool GoesToDesktop(ShortcutPlacement placement) {
  return placement == ShortcutPlacement::Both || placement == ShortcutPlacement::DesktopOnly;
}

// The Start Menu itself, its Programs and StartUp folders belong to the system, even
// when empty.
bool IsSystemStartMenuFolder(const std::string& below) {
  std::string folder = below;
  while (!folder.empty() && folder.back() == '\\') folder.pop_back();
  return folder.empty() || SameTextNoCase(folder, "Programs") ||
         SameTextNoCase(folder, "Programs\\StartUp");
}

}  // namespace

std::vector<RemovalStep> PlanRemoval(const UninstallRecord& record, const std::string& recordPath,
                                     const std::string& windowsFolder) {
  std::vector<RemovalStep> plan;
  // Every path in the plain form it was checked in.
  std::string destination = PlainPath(record.destinationFolder);
  while (!destination.empty() && destination.back() == '\\') destination.pop_back();
  const std::string startMenu = PlainPath(record.startMenuFolder);
  const std::string desktop = windowsFolder + "\\Desktop\\";

  for (const FileEntry& file : record.files) {
    plan.push_back({RemovalKind::File, destination + "\\" + PlainPath(file.name)});
  }
  const bool startMenuLinks = StartMenuChosen(record.choices);
  const bool desktopLinks = DesktopChosen(record.choices);
  for (const UninstallShortcut& shortcut : record.shortcuts) {
    if (startMenuLinks && GoesToStartMenu(shortcut.placement)) {
      plan.push_back({RemovalKind::File, startMenu + "\\" + PlainPath(shortcut.name)});
    }
    if (desktopLinks && GoesToDesktop(shortcut.placement)) {
      plan.push_back({RemovalKind::File, desktop + PlainPath(shortcut.name)});
    }
  }
  for (const ExtraText& text : record.uninstallExtras) {
    UninstallExtra extra;
    ReadUninstallExtra(text.data(), &extra);
    if (extra.kind == ExtraKind::RegistryKey) {
      plan.push_back({RemovalKind::RegistryTree, extra.name, extra.hive});
    } else {
      plan.push_back({RemovalKind::File, destination + "\\" + extra.name});
    }
  }
  plan.push_back({RemovalKind::Record, recordPath});
  // The installer makes the Start Menu folder only for a package with shortcuts and the
  // Start Menu choice on; otherwise an empty folder of that name is not its work.
  std::string belowStartMenu;
  if (startMenuLinks && !record.shortcuts.empty() &&
      StartMenuRelativePart(startMenu, windowsFolder, &belowStartMenu) &&
      !IsSystemStartMenuFolder(belowStartMenu)) {
    plan.push_back({RemovalKind::FolderIfEmpty, startMenu});
  }
  plan.push_back({RemovalKind::FolderIfEmpty, destination});
  plan.push_back({RemovalKind::UninstallKey, kUninstallKeyPrefix + std::string(record.productName)});
  return plan;
}

}  // namespace qinstall
