#include "tools/manifest.h"

#include <cctype>
#include <cstring>
#include <map>

#include "package/contained_name.h"
#include "uninstaller/record_checks.h"
#include "uninstaller/uninstall_names.h"

namespace qinstall {
namespace {

// Skipped: the lines of a shortcut beyond the count's reach, already reported.
enum class Section { None, Product, Files, Extras, StartMenu, Shortcut, Skipped };

struct Parser {
  Parser(bool force, Manifest& parsed) : forcePlacement(force), manifest(parsed) {}

  bool forcePlacement;
  Manifest& manifest;
  Section section = Section::None;
  int line = 0;
  int productLine = 0;
  int startMenuLine = 0;
  int shortcutLine = 0;
  bool productNamed = false;
  std::map<std::string, bool> overflowReported;
  std::map<std::string, int> keysSeen;  // in the current section

  void Issue(bool isError, const std::string& text) {
    manifest.issues.push_back({line, isError, text});
  }
  void Error(const std::string& text) { Issue(true, text); }
};

std::string Trim(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// Quotes keep blanks at a value's ends and let it begin with a comment character.
std::string Unquote(const std::string& value) {
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

// Copies a checked value into its buffer; returns false (with an error) when it cannot fit.
bool Store(Parser& parser, const char* what, const std::string& value, char* buffer,
           std::size_t size) {
  if (value.find('\0') != std::string::npos) {
    parser.Error(std::string(what) + " contains a zero byte, which would end it early");
    return false;
  }
  if (value.size() >= size) {
    parser.Error(std::string(what) + " is " + std::to_string(value.size()) +
                 " characters long; at most " + std::to_string(size - 1) + " fit");
    return false;
  }
  std::memcpy(buffer, value.data(), value.size());
  buffer[value.size()] = '\0';
  return true;
}

bool RoomForOneMore(Parser& parser, std::size_t count, const char* what) {
  if (count < kMaxEntries) return true;
  if (!parser.overflowReported[what]) {
    parser.Error(std::string("more than 65,535 ") + what + "; the file's count holds no more");
    parser.overflowReported[what] = true;
  }
  return false;
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// The uninstaller refuses a whole record for one name it may not act on, so such a name
// would make the product impossible to remove.
void RefuseUnremovable(Parser& parser, const std::string& what, const std::string& problem) {
  parser.Error(what + " " + problem + "; the uninstaller would refuse to remove the product");
}

// Add/Remove Programs on Windows 98 shows no DisplayName longer than this (the key's name
// is held to it too), so a longer product could not be removed from the Control Panel.
constexpr std::size_t kListedNameLimit = 63;

// File names are relative to the installer's folder and to the destination folder at once,
// so neither may be left.
bool CheckFileName(Parser& parser, const std::string& name) {
  if (IsSeparator(name[0]) || name.find(':') != std::string::npos) {
    parser.Error("file name " + name + " is absolute; file names are relative to the destination folder");
    return false;
  }
  std::string component;
  bool inSubfolder = false;
  for (std::size_t i = 0; i <= name.size(); ++i) {
    if (i < name.size() && !IsSeparator(name[i])) {
      component += name[i];
      continue;
    }
    if (component.size() >= 2 && component.find_first_not_of('.') == std::string::npos) {
      parser.Error("file name " + name + " climbs out of the destination folder with " + component);
      return false;
    }
    if (i < name.size()) inSubfolder = true;
    component.clear();
  }
  // The installer's own rule, which also knows a ".." level with trailing blanks.
  if (const char* reason = EscapingNameReason(name.c_str())) {
    parser.Error("file name " + name + " would reach outside the destination folder: " + reason);
    return false;
  }
  if (const std::string problem = RelativeNameProblem(name); !problem.empty()) {
    RefuseUnremovable(parser, "file name " + name, problem);
    return false;
  }
  if (inSubfolder) {
    parser.Issue(false, "file name " + name +
                            " is in a subfolder; the installer creates no folder below the "
                            "destination folder, so it must already exist there");
  }
  return true;
}

// The uninstaller refuses a whole record for one extra it may not act on, so such an extra
// would make the product impossible to remove.
bool CheckExtra(Parser& parser, const std::string& text) {
  UninstallExtra extra;
  if (const std::string problem = ReadUninstallExtra(text, &extra); !problem.empty()) {
    parser.Error(std::string(extra.kind == ExtraKind::RegistryKey ? "registry key " : "file name ") +
                 text + " " + problem + "; the uninstaller would refuse to remove the product");
    return false;
  }
  if (LooksLikeOtherRegistryKey(text)) {
    parser.Issue(false, "extra " + text +
                            " is taken as a file name; a registry key begins with "
                            "HKEY_CURRENT_USER\\ or HKEY_LOCAL_MACHINE\\");
  }
  return true;
}

bool ParsePlacement(Parser& parser, const std::string& value, ShortcutPlacement* placement) {
  static const std::map<std::string, int> kNames = {
      {"both", 0},       {"startmenuonly", 1}, {"start menu", 1}, {"start menu only", 1},
      {"desktoponly", 2}, {"desktop", 2},      {"desktop only", 2}};
  const std::string lower = Lower(value);
  long code = -1;
  if (const auto named = kNames.find(lower); named != kNames.end()) {
    code = named->second;
  } else if (!lower.empty() && lower.size() <= 3 &&
             lower.find_first_not_of("0123456789") == std::string::npos) {
    code = std::stol(lower);
  }
  if (code < 0 || code > 255) {
    parser.Error("placement " + value + " is not both, start menu, desktop or a number 0 to 2");
    return false;
  }
  if (code > 2 && !parser.forcePlacement) {
    parser.Error("placement " + value +
                 " makes no shortcut file; use 0 to 2, or --force to keep it");
    return false;
  }
  *placement = static_cast<ShortcutPlacement>(code);
  return true;
}

void CheckShortcutComplete(Parser& parser) {
  if (parser.section != Section::Shortcut || parser.manifest.package.shortcuts.empty()) return;
  const int line = parser.line;
  parser.line = parser.shortcutLine;
  if (parser.keysSeen.count("name") == 0) parser.Error("shortcut has no name");
  if (parser.keysSeen.count("target") == 0) parser.Error("shortcut has no target");
  parser.line = line;
}

void StartSection(Parser& parser, const std::string& header) {
  CheckShortcutComplete(parser);
  parser.keysSeen.clear();
  if (header.size() < 2 || header.back() != ']') {
    parser.Error("section header " + header + " has no closing ]");
    parser.section = Section::None;
    return;
  }
  const std::string name = Lower(Trim(header.substr(1, header.size() - 2)));
  InstallPackage& package = parser.manifest.package;
  int* onceLine = nullptr;
  if (name == "product") {
    parser.section = Section::Product;
    onceLine = &parser.productLine;
  } else if (name == "start menu") {
    parser.section = Section::StartMenu;
    onceLine = &parser.startMenuLine;
  } else if (name == "files") {
    parser.section = Section::Files;
  } else if (name == "extras") {
    parser.section = Section::Extras;
  } else if (name == "shortcut") {
    parser.section = Section::Shortcut;
    parser.shortcutLine = parser.line;
    if (RoomForOneMore(parser, package.shortcuts.size(), "shortcuts")) {
      package.shortcuts.emplace_back();
    } else {
      parser.section = Section::Skipped;
    }
    return;
  } else {
    parser.Error("unknown section " + header +
                 "; the sections are [product], [files], [extras], [start menu] and [shortcut]");
    parser.section = Section::None;
    return;
  }
  if (onceLine != nullptr) {
    if (*onceLine != 0) {
      parser.Error("[" + name + "] appears a second time (first at line " +
                   std::to_string(*onceLine) + ")");
    } else {
      *onceLine = parser.line;
    }
  }
}

void SetKey(Parser& parser, const std::string& key, const std::string& value) {
  InstallPackage& package = parser.manifest.package;
  ShortcutEntry* shortcut =
      parser.section == Section::Shortcut ? &package.shortcuts.back() : nullptr;
  if (parser.section == Section::Product && key == "name") {
    parser.productNamed = true;
    if (value.empty()) parser.Error("product name is empty");
    if (!Store(parser, "product name", value, package.productName, kNameSize)) return;
    // The product names the registry key below the system's list of programs.
    if (value.find('\\') != std::string::npos) {
      RefuseUnremovable(parser, "product name " + value, "holds a backslash");
    } else if (value.size() > kListedNameLimit) {
      parser.Issue(false, ListedNameWarning(value.size()));
    }
  } else if (parser.section == Section::Product && key == "destination") {
    Store(parser, "destination folder", value, package.destinationFolder, kPathSize);
  } else if (parser.section == Section::StartMenu && key == "folder") {
    if (!Store(parser, "Start Menu folder", value, package.startMenuFolder, kPathSize)) return;
    if (const std::string problem = StartMenuFolderProblem(value); !problem.empty()) {
      RefuseUnremovable(parser, "Start Menu folder " + value, problem);
    }
  } else if (shortcut != nullptr && key == "name") {
    if (const char* reason = EscapingNameReason(value.c_str())) {
      parser.Error("shortcut name " + value + " would reach outside its folder: " + reason);
    } else if (const std::string problem = RelativeNameProblem(value); !problem.empty()) {
      RefuseUnremovable(parser, "shortcut name " + value, problem);
    }
    Store(parser, "shortcut name", value, shortcut->name, kPathSize);
  } else if (shortcut != nullptr && key == "target") {
    Store(parser, "shortcut target", value, shortcut->target, kPathSize);
  } else if (shortcut != nullptr && key == "description") {
    Store(parser, "description", value, shortcut->description, kNameSize);
  } else if (shortcut != nullptr && key == "icon") {
    Store(parser, "icon", value, shortcut->iconLocation, kPathSize);
  } else if (shortcut != nullptr && key == "placement") {
    ParsePlacement(parser, value, &shortcut->placement);
  } else {
    static const char* const kKeys[] = {"", "name and destination", "", "", "folder",
                                        "name, target, description, icon and placement", ""};
    parser.Error("unknown key " + key + " here; this section takes " +
                 kKeys[static_cast<int>(parser.section)]);
  }
}

void ParseLine(Parser& parser, const std::string& text) {
  const std::string line = Trim(text);
  if (line.empty() || line[0] == '#' || line[0] == ';') return;
  if (line[0] == '[') {
    StartSection(parser, line);
    return;
  }
  InstallPackage& package = parser.manifest.package;
  switch (parser.section) {
    case Section::None:
      parser.Error("this line is outside any section; begin with [product]");
      return;
    case Section::Skipped:
      return;
    case Section::Files: {
      const std::string name = Unquote(line);
      if (name.empty() || !RoomForOneMore(parser, package.files.size(), "files")) return;
      FileEntry entry;
      if (!Store(parser, "file name", name, entry.name, kPathSize) ||
          !CheckFileName(parser, name)) {
        return;
      }
      package.files.push_back(entry);
      parser.manifest.fileLines.push_back(parser.line);
      return;
    }
    case Section::Extras: {
      ExtraText extra{};
      const std::string text = Unquote(line);
      if (!RoomForOneMore(parser, package.uninstallExtras.size(), "extras") ||
          !Store(parser, "extra", text, extra.data(), kExtraSize) || !CheckExtra(parser, text)) {
        return;
      }
      package.uninstallExtras.push_back(extra);
      return;
    }
    default:
      break;
  }
  const std::size_t equals = line.find('=');
  if (equals == std::string::npos) {
    parser.Error("expected KEY = VALUE");
    return;
  }
  const std::string key = Lower(Trim(line.substr(0, equals)));
  if (const auto seen = parser.keysSeen.find(key); seen != parser.keysSeen.end()) {
    parser.Error(key + " is given a second time in this section (first at line " +
                 std::to_string(seen->second) + ")");
    return;
  }
  parser.keysSeen[key] = parser.line;
  SetKey(parser, key, Unquote(Trim(line.substr(equals + 1))));
}

}  // namespace

std::string ListedNameWarning(std::size_t length) {
  return "product name is " + std::to_string(length) + " characters long; Windows 98's " +
         "Add/Remove Programs lists no name longer than " + std::to_string(kListedNameLimit) +
         ", so the product could not be removed from the Control Panel";
}

bool IsListedNameTooLong(const char* productName) {
  return std::strlen(productName) > kListedNameLimit;
}

int ParseManifest(const std::string& text, bool forcePlacement, Manifest* manifest) {
  Parser parser(forcePlacement, *manifest);
  std::size_t start = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    ++parser.line;
    ParseLine(parser, line);
    start = end + 1;
  }
  CheckShortcutComplete(parser);
  if (parser.productLine == 0) {
    manifest->issues.push_back({0, true, "there is no [product] section with a name"});
  } else if (!parser.productNamed) {
    manifest->issues.push_back({parser.productLine, true, "[product] has no name"});
  }
  return HasErrors(*manifest) ? 0 : 1;
}

bool HasErrors(const Manifest& manifest) {
  for (const ManifestIssue& issue : manifest.issues) {
    if (issue.isError) return true;
  }
  return false;
}

}  // namespace qinstall
