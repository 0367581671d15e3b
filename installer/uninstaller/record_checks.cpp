#include "uninstaller/record_checks.h"

#include <cctype>

#include "uninstaller/uninstall_names.h"

namespace qinstall {
namespace {

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

std::string WithoutTrailingSeparators(std::string path) {
  while (!path.empty() && (path.back() == '\\' || path.back() == '/')) path.pop_back();
  return path;
}

// Below its drive a folder must be written plainly, one way only, so that comparing it
// with the Windows folder means something: no ".", no "..", no doubled backslash.
std::string PlainFolderProblem(const std::string& below) {
  if (std::string problem = RelativeNameProblem(below); !problem.empty()) return problem;
  std::string component;
  for (std::size_t i = 0; i <= below.size(); ++i) {
    if (i < below.size() && below[i] != '\\' && below[i] != '/') {
      component += below[i];
      continue;
    }
    if (component.find_first_not_of(". ") == std::string::npos) {
      return "is not written plainly (an empty, '.' or blank folder name)";
    }
    component.clear();
  }
  return {};
}

// Folders that the system makes and fills, below the Windows folder and on each drive.
const char* const kWindowsOwnFolders[] = {
    "SYSTEM", "SYSTEM32", "COMMAND", "FONTS", "INF", "HELP", "CONFIG", "CURSORS", "MEDIA",
    "SHELLNEW", "SPOOL", "SYSBCKUP", "TEMP", "PROFILES", "APPLICATION DATA", "START MENU",
    "START MENU\\PROGRAMS", "START MENU\\PROGRAMS\\STARTUP", "DESKTOP", "SENDTO", "RECENT",
    "FAVORITES", "NETHOOD", "FORMS", "PIF", "HISTORY", "COOKIES", "TEMPORARY INTERNET FILES",
    "DOWNLOADED PROGRAM FILES", "TASKS", "WEB", "JAVA"};
const char* const kDriveOwnFolders[] = {"PROGRAM FILES", "PROGRAM FILES\\COMMON FILES"};

// Which of the system's folders plain is, if any: "" when none.
std::string SystemFolderProblem(const std::string& plain, const std::string& root,
                                const std::string& windowsFolder) {
  if (SameTextNoCase(plain, windowsFolder)) return "is the Windows folder";
  if (StartsWithNoCase(windowsFolder, plain + "\\")) return "holds the Windows folder";
  for (const char* owned : kWindowsOwnFolders) {
    if (SameTextNoCase(plain, windowsFolder + "\\" + owned)) return "is one of the system's folders";
  }
  for (const char* owned : kDriveOwnFolders) {
    if (SameTextNoCase(plain, root + owned)) return "is one of the system's folders";
  }
  return {};
}

// A full path is "X:\..." or "\\server\share\..."; returns why folder may not be acted on,
// judged on its plain form and compared with the (plain) Windows folder.
std::string FolderProblem(const std::string& folder, const std::string& windowsFolder) {
  const std::string path = WithoutTrailingSeparators(PlainPath(folder));
  if (path.compare(0, 4, "\\\\?\\") == 0 || path.compare(0, 4, "\\\\.\\") == 0) {
    return "begins with '" + path.substr(0, 4) + "', a form no installation writes";
  }
  std::string root;
  if (path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]))) {
    if (path.size() == 2) return "is a drive root";
    if (path[2] != '\\') return "is not a full path";
    root = path.substr(0, 3);
  } else if (path.compare(0, 2, "\\\\") == 0) {
    const std::size_t share = path.find('\\', 2);
    const std::size_t rest = share == std::string::npos ? share : path.find('\\', share + 1);
    if (rest == std::string::npos) return "is the root of a network share";
    root = path.substr(0, rest + 1);
  } else {
    return "is not a full path with a drive";
  }
  if (std::string problem = PlainFolderProblem(path.substr(root.size())); !problem.empty()) {
    return problem;
  }
  return SystemFolderProblem(path, root, WithoutTrailingSeparators(PlainPath(windowsFolder)));
}

}  // namespace

bool StartMenuRelativePart(const std::string& startMenuFolder, const std::string& windowsFolder,
                           std::string* below) {
  const std::string plain = PlainPath(startMenuFolder);
  const std::string startMenu =
      WithoutTrailingSeparators(PlainPath(windowsFolder)) + "\\Start Menu\\";
  if (!StartsWithNoCase(plain, startMenu)) return false;
  *below = plain.substr(startMenu.size());
  return true;
}

std::string StartMenuFolderProblem(const std::string& below) {
  const std::string folder = WithoutTrailingSeparators(PlainPath(below));
  return folder.empty() ? std::string() : PlainFolderProblem(folder);
}

std::string UninstallRecordProblem(const UninstallRecord& record,
                                   const std::string& windowsFolder) {
  const std::string product = record.productName;
  if (product.empty()) return "it names no product";
  // The product names the registry key below the system's list of programs.
  if (product.find('\\') != std::string::npos) {
    return "the product name " + Quoted(product) + " holds a backslash";
  }
  const std::string destination = record.destinationFolder;
  if (std::string problem = FolderProblem(destination, windowsFolder); !problem.empty()) {
    return "the destination folder " + Quoted(destination) + " " + problem;
  }
  const std::string startMenu = record.startMenuFolder;
  std::string belowStartMenu;
  if (!StartMenuRelativePart(startMenu, windowsFolder, &belowStartMenu)) {
    return "the Start Menu folder " + Quoted(startMenu) + " is not in the Start Menu";
  }
  if (std::string problem = StartMenuFolderProblem(belowStartMenu); !problem.empty()) {
    return "the Start Menu folder " + Quoted(startMenu) + " " + problem;
  }
  if (record.choices > 3) {
    return "its shortcut choices are coded " + std::to_string(record.choices) + ", not 0 to 3";
  }
  for (const FileEntry& file : record.files) {
    if (std::string problem = RelativeNameProblem(file.name); !problem.empty()) {
      return "the file name " + Quoted(file.name) + " " + problem;
    }
  }
  for (const UninstallShortcut& shortcut : record.shortcuts) {
    if (std::string problem = RelativeNameProblem(shortcut.name); !problem.empty()) {
      return "the shortcut name " + Quoted(shortcut.name) + " " + problem;
    }
  }
  for (const ExtraText& text : record.uninstallExtras) {
    UninstallExtra extra;
    if (std::string problem = ReadUninstallExtra(text.data(), &extra); !problem.empty()) {
      return "the extra " + Quoted(text.data()) + " " + problem;
    }
  }
  return {};
}

}  // namespace qinstall
