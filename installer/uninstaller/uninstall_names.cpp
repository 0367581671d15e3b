#include "uninstaller/uninstall_names.h"

#include <cctype>
#include <vector>

namespace qinstall {
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Registry keys take only '\' as separator; file names take '/' too.
std::vector<std::string> Components(const std::string& path, bool slashSeparates = true) {
  std::vector<std::string> parts(1);
  for (char c : path) {
    if (c == '\\' || (slashSeparates && c == '/')) {
      parts.emplace_back();
    } else {
      parts.back() += c;
    }
  }
  return parts;
}

// "..", "...", ". ." and the like: Windows 95 takes every dot past the first as one more
// level up, and drops trailing blanks.
bool ClimbsUp(const std::string& component) {
  std::size_t dots = 0;
  for (char c : component) {
    if (c == '.') {
      ++dots;
    } else if (c != ' ') {
      return false;
    }
  }
  return dots >= 2;
}

constexpr char kCurrentUser[] = "HKEY_CURRENT_USER\\";
constexpr char kLocalMachine[] = "HKEY_LOCAL_MACHINE\\";

// Keys directly below Software that belong to the system, not to a program.
const char* const kSystemKeys[] = {"Microsoft", "Classes", "Policies", "Clients", "Wine"};

}  // namespace

bool SameTextNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(a[i])) !=
        std::toupper(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
  return text.size() >= prefix.size() && SameTextNoCase(text.substr(0, prefix.size()), prefix);
}

std::string RelativeNameProblem(const std::string& name) {
  if (name.empty()) return "is empty";
  if (IsSeparator(name[0])) return "is absolute";
  if (name.find(':') != std::string::npos) return "names a drive";
  if (name.find_first_of("*?") != std::string::npos) return "holds a wildcard";
  for (const std::string& component : Components(name)) {
    if (ClimbsUp(component)) return "climbs out of its folder with '" + component + "'";
  }
  return {};
}

std::string ReadUninstallExtra(const std::string& text, UninstallExtra* extra) {
  *extra = UninstallExtra{};
  std::string key;
  if (StartsWithNoCase(text, kCurrentUser)) {
    extra->hive = RegistryHive::CurrentUser;
    key = text.substr(sizeof kCurrentUser - 1);
  } else if (StartsWithNoCase(text, kLocalMachine)) {
    extra->hive = RegistryHive::LocalMachine;
    key = text.substr(sizeof kLocalMachine - 1);
  } else {
    extra->kind = ExtraKind::File;
    extra->name = text;
    return RelativeNameProblem(text);
  }
  extra->kind = ExtraKind::RegistryKey;
  extra->name = key;
  const std::vector<std::string> levels = Components(key, false);
  for (const std::string& level : levels) {
    if (level.empty()) return "has an empty key name (two backslashes together, or one at an end)";
  }
  if (levels.size() < 2) return "is less than two levels below its hive";
  if (!SameTextNoCase(levels[0], "Software")) {
    return "is not below Software; the system keeps its own settings there";
  }
  if (levels.size() == 2) {
    for (const char* system : kSystemKeys) {
      if (SameTextNoCase(levels[1], system)) return "is one of the system's own keys";
    }
  }
  return {};
}

bool LooksLikeOtherRegistryKey(const std::string& text) {
  if (StartsWithNoCase(text, kCurrentUser) || StartsWithNoCase(text, kLocalMachine)) return false;
  return StartsWithNoCase(text, "HKEY_") || StartsWithNoCase(text, "HKCU\\") ||
         StartsWithNoCase(text, "HKLM\\") || StartsWithNoCase(text, "HKCR\\") ||
         StartsWithNoCase(text, "HKU\\");
}

}  // namespace qinstall
