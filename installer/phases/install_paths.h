// The paths the phases build. Each fits a 260-byte buffer or is refused: a path over 259
// characters is never cut short, so a phase never touches a different file than it names.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace qinstall {

constexpr std::size_t kMaxPathChars = 259;

// The parts joined as they are; false (out untouched) when the result would not fit.
bool BuildPath(std::string* out, std::initializer_list<std::string_view> parts);

// Names compared as the file system and the registry compare them: blind to case in ASCII.
bool SameNameNoCase(std::string_view a, std::string_view b);

// The Windows folder's "Desktop" folder, where desktop links go.
std::string DesktopFolder();

// The record the installer leaves in the destination folder for the uninstaller.
constexpr char kRecordName[] = "Uninstall.qsu";
constexpr char kUninstallerName[] = "Uninstaller.exe";
constexpr char kUninstallKeyPrefix[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

}  // namespace qinstall
