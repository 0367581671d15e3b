// The parsed install data file "Install.qsd": one InstallPackage for the whole run.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "package/list_memory.h"

namespace qinstall {

// Buffer sizes, terminator included.
constexpr std::size_t kNameSize = 100;         // productName, description: 99 characters
constexpr std::size_t kPathSize = 260;         // paths and file names: 259 characters
constexpr std::size_t kExtraSize = 150;        // one uninstall extra: 149 characters
constexpr std::size_t kMaxEntries = 65535;     // a list's count is 16-bit

enum class ShortcutPlacement : std::uint8_t { Both = 0, StartMenuOnly = 1, DesktopOnly = 2 };

struct FileEntry {
  char name[kPathSize] = {};
};

// Held in this order; the file stores iconLocation before description.
struct ShortcutEntry {
  char name[kPathSize] = {};
  char target[kPathSize] = {};
  char description[kNameSize] = {};
  char iconLocation[kPathSize] = {};
  // Codes other than 0 to 2 are kept: such an entry counts but yields no shortcut file.
  ShortcutPlacement placement = ShortcutPlacement::Both;
};

using ExtraText = std::array<char, kExtraSize>;

struct InstallPackage {
  char productName[kNameSize] = {};
  char destinationFolder[kPathSize] = {};
  List<FileEntry> files;
  List<ExtraText> uninstallExtras;
  char startMenuFolder[kPathSize] = {};
  List<ShortcutEntry> shortcuts;
};

// The run's one package.
InstallPackage& Package();

// Empties every text and releases the three lists (the end of the run, and tests).
void ResetInstallPackage();

}  // namespace qinstall
