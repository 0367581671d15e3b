// Names in a data file that the installer writes under a folder of its own choosing (a
// file under the destination, a shortcut in the Start Menu or on the desktop) must stay
// inside that folder.
#pragma once

namespace qinstall {

// Why the name would reach outside its folder (an absolute path, a drive letter, a ".."
// level), or nullptr when it stays inside. A plain folder part ("Sub\File.txt") stays.
const char* EscapingNameReason(const char* name);

}  // namespace qinstall
