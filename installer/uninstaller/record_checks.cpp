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

// A full path is "X:\..." or "\\server\share\..."; returns the part after the drive or
// share, or sets *problem.
std::string FolderProblem(const std::string& folder, const std::string& windowsFolder) {
  const std::string path = WithoutTrailingSeparators(folder);
  std::string below;
  if (path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]))) {
    if (path.size() == 2) return "is a drive root";
    if (path[2] != '\\' && path[2] != '/') return "is not a full path";
    below = path.substr(3);
  } else if (path.compare(0, 2, "\\\\") == 0) {
    const std::size_t share = path.find('\\', 2);
    const std::size_t rest = share == std::string::npos ? share : path.find('\\', share + 1);
    if (rest == std::string::npos) return "is the root of a network share";
    below = path.substr(rest + 1);
  } else {
    return "is not a full path with a drive";
  }
  if (std::string problem = PlainFolderProblem(below); !problem.empty()) return problem;
  if (SameTextNoCase(path, WithoutTrailingSeparators(windowsFolder))) {
    return "is the Windows folder";
  }
  return {};
}

}  // namespace

std::string StartMenuRelativePart(const std::string& startMenuFolder,
                                  const std::string& windowsFolder) {
  const std::string startMenu = WithoutTrailingSeparators(windowsFolder) + "\\Start Menu\\";
  if (!StartsWithNoCase(startMenuFolder, startMenu)) return startMenuFolder;
  return startMenuFolder.substr(startMenu.size());
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
  const std::string belowStartMenu = StartMenuRelativePart(startMenu, windowsFolder);
  if (belowStartMenu.size() == startMenu.size()) {
    return "the Start Menu folder " + Quoted(startMenu) + " is not in the Start Menu";
  }
  if (const std::string below = WithoutTrailingSeparators(belowStartMenu); !below.empty()) {
    if (std::string problem = PlainFolderProblem(below); !problem.empty()) {
      return "the Start Menu folder " + Quoted(startMenu) + " " + problem;
    }
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
