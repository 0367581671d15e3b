// The uninstall record "Uninstall.qsu" that the installer leaves in the destination folder
// for the uninstaller, and its reader.
#pragma once

#include <cstdint>
#include <string>

#include "package/install_package.h"
#include "package/load_report.h"

namespace qinstall {

struct UninstallShortcut {
  char name[kPathSize] = {};
  ShortcutPlacement placement = ShortcutPlacement::Both;  // as read from the data file
};

struct UninstallRecord {
  char productName[kNameSize] = {};
  List<ExtraText> uninstallExtras;
  char destinationFolder[kPathSize] = {};
  List<FileEntry> files;
  char startMenuFolder[kPathSize] = {};  // in its full form
  // Which shortcut choices were on, coded as ShortcutPlacement, with 3 for neither.
  std::uint8_t choices = 0;
  List<UninstallShortcut> shortcuts;
};

// Strings are read with the bounds of the buffers they came from. Unlike the data file,
// every field must be complete; bytes after the last one are ignored. On failure the record
// is emptied and a failed list allocation shows "Out of memory.".
int LoadUninstallRecord(const std::string& fileName, UninstallRecord* record,
                        LoadReport* report = nullptr);

}  // namespace qinstall
