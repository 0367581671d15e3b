// Which names in an uninstall record the uninstaller may act on, and what an uninstall
// extra means. qsdtool applies the same rules when it packs and checks a package, so that
// a package it accepts can always be removed again.
#pragma once

#include <string>

#include "platform/system.h"

namespace qinstall {

// An extra that begins with "HKEY_CURRENT_USER\" or "HKEY_LOCAL_MACHINE\" names a registry
// key the program made at run time, deleted with its subkeys; any other extra names a file
// the program made at run time, relative to the destination folder.
enum class ExtraKind { File, RegistryKey };

struct UninstallExtra {
  ExtraKind kind = ExtraKind::File;
  RegistryHive hive = RegistryHive::CurrentUser;
  std::string name;  // the key below its hive, or the file name
};

// Empty when name stays inside the folder it is relative to; otherwise why it does not,
// e.g. "is absolute", "names a drive", "climbs out of its folder with '..'".
std::string RelativeNameProblem(const std::string& name);

// Reads one extra into *extra. Empty when the uninstaller may act on it; otherwise why not.
std::string ReadUninstallExtra(const std::string& text, UninstallExtra* extra);

// True for text that looks meant as a registry key but is not one of the two accepted
// forms ("HKCU\...", "HKEY_CLASSES_ROOT\..."): it is taken as a file name.
bool LooksLikeOtherRegistryKey(const std::string& text);

// Case-blind comparison in the ASCII range, as the file system and the registry compare.
bool SameTextNoCase(const std::string& a, const std::string& b);
bool StartsWithNoCase(const std::string& text, const std::string& prefix);

}  // namespace qinstall
