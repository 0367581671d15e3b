// Whether the uninstaller may act on a record at all. A record that names anything outside
// the folders it installed into is refused whole, before anything is removed.
#pragma once

#include <string>

#include "package/uninstall_record.h"

namespace qinstall {

// Empty when every name in the record stays where the installer put it; otherwise what
// is wrong, naming the field and its text. Every path is judged on its plain form
// (PlainPath); a destination written with "\\?\" or "\\.\", a drive root, the Windows
// folder, a folder above it and the system's own folders are refused.
std::string UninstallRecordProblem(const UninstallRecord& record,
                                   const std::string& windowsFolder);

// Empty when the part of a Start Menu folder below the Start Menu (as a package gives it)
// is written plainly and stays inside; otherwise why not.
std::string StartMenuFolderProblem(const std::string& below);

// Whether the Start Menu folder lies in the Windows folder's "Start Menu", with *below its
// part below that, both judged on their plain forms (PlainPath).
bool StartMenuRelativePart(const std::string& startMenuFolder, const std::string& windowsFolder,
                           std::string* below);

}  // namespace qinstall
