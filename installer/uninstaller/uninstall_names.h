// Which names in an uninstall record the uninstaller may act on, and what an uninstall
// extra means. qsdtool applies the same rules when it packs and checks a package, so that
// a package it accepts can always be removed again.
#pragma once

#include <string>

#include "platform/system.h"

namespace qinstall {

// An extra that begins with "HKEY_CURRENT_USER\" or "HKEY_LOCAL_MACHINE\" names a registry
// key the program made at run time, deleted with its subkeys; any other extra names a file
// the program made at run time, relative to the destination folder. A key must be the
// program's own: its maker's key below Software (not one of the system's there), or its
// one entry in a list the system shares with every program (Uninstall\<product>,
// App Paths\<program>.exe, Classes\<.ext or Maker.Type>, Classes\CLSID\{class id}), or
// anything below those; never such a list itself or a key above one.
enum class ExtraKind { File, RegistryKey };

struct UninstallExtra {
  ExtraKind kind = ExtraKind::File;
  RegistryHive hive = RegistryHive::CurrentUser;
  std::string name;  // the key below its hive, or the file name in its plain form
};

// A path of a record in the one plain form Windows reads it in: '/' as '\', and the
// trailing dots and blanks of each name dropped. A name of dots and blanks alone stays as
// it is, for the checks to refuse. Every check and every removal works on this form.
std::string PlainPath(const std::string& path);

// Empty when name stays inside the folder it is relative to (judged on its plain form); otherwise why it does not,
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
