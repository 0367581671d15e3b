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

// Keys directly below Software that belong to the system, not to a program's maker.
const char* const kSystemKeys[] = {"Microsoft", "Classes", "Policies", "Clients", "Wine"};

bool IsMakersKey(const std::string& name) {
  for (const char* system : kSystemKeys) {
    if (SameTextNoCase(name, system)) return false;
  }
  return true;
}

bool IsAnyEntry(const std::string&) { return true; }

bool IsProgramFile(const std::string& name) {
  return name.size() > 4 && SameTextNoCase(name.substr(name.size() - 4), ".exe");
}

// A file type: ".txt", or a program's own type "Maker.Document" (a dot inside).
bool IsFileType(const std::string& name) {
  const std::size_t dot = name.find('.');
  return dot != std::string::npos && dot + 1 < name.size();
}

bool IsClassId(const std::string& name) {
  static const char kShape[] = "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}";
  if (name.size() != sizeof kShape - 1) return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const bool ok = kShape[i] == 'x' ? std::isxdigit(static_cast<unsigned char>(name[i])) != 0
                                     : name[i] == kShape[i];
    if (!ok) return false;
  }
  return true;
}

// The keys a program may own, below its hive: the levels of the form, the last one being
// the program's own name, which isOwn accepts. Everything below such a key is the
// program's too. A list the system shares with every program (its uninstall entries, its
// program paths, its file types and classes) lends each program one entry, never itself.
struct OwnKeyForm {
  const char* levels[6];  // up to the program's own level, which is null
  bool (*isOwn)(const std::string& name);
};
const OwnKeyForm kOwnKeyForms[] = {
    {{"Software", nullptr}, IsMakersKey},
    {{"Software", "Microsoft", "Windows", "CurrentVersion", "Uninstall", nullptr}, IsAnyEntry},
    {{"Software", "Microsoft", "Windows", "CurrentVersion", "App Paths", nullptr}, IsProgramFile},
    {{"Software", "Classes", nullptr}, IsFileType},
    {{"Software", "Classes", "CLSID", nullptr}, IsClassId},
};

bool HasOwnKeyForm(const std::vector<std::string>& levels) {
  for (const OwnKeyForm& form : kOwnKeyForms) {
    std::size_t depth = 0;
    while (form.levels[depth] != nullptr && depth < levels.size() &&
           SameTextNoCase(levels[depth], form.levels[depth])) {
      ++depth;
    }
    if (form.levels[depth] == nullptr && depth < levels.size() && form.isOwn(levels[depth])) {
      return true;
    }
  }
  return false;
}

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

std::string PlainPath(const std::string& path) {
  std::string plain;
  std::string name;
  const auto addName = [&plain, &name] {
    if (name.find_first_not_of(". ") != std::string::npos) {
      while (name.back() == '.' || name.back() == ' ') name.pop_back();
    }
    plain += name;
    name.clear();
  };
  for (char c : path) {
    if (IsSeparator(c)) {
      addName();
      plain += '\\';
    } else {
      name += c;
    }
  }
  addName();
  return plain;
}

std::string RelativeNameProblem(const std::string& text) {
  const std::string name = PlainPath(text);
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
    extra->name = PlainPath(text);
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
  if (HasOwnKeyForm(levels)) return {};
  if (levels.size() == 2) return "is one of the system's own keys";
  return "is not a program's own key, nor one program's entry in a list the system shares";
}

bool LooksLikeOtherRegistryKey(const std::string& text) {
  if (StartsWithNoCase(text, kCurrentUser) || StartsWithNoCase(text, kLocalMachine)) return false;
  return StartsWithNoCase(text, "HKEY_") || StartsWithNoCase(text, "HKCU\\") ||
         StartsWithNoCase(text, "HKLM\\") || StartsWithNoCase(text, "HKCR\\") ||
         StartsWithNoCase(text, "HKU\\");
}

}  // namespace qinstall
