#include "platform/posix/short_name.h"

#include <algorithm>
#include <cctype>
#include <set>

namespace parcelo {
namespace {

bool IsShortNameChar(unsigned char c) {
  if (c >= 0x80) return true;
  if (std::isupper(c) || std::isdigit(c)) return true;
  return std::string("!#$%&'()-@^_`{}~").find(static_cast<char>(c)) != std::string::npos;
}

// Upper case, blanks and inner dots dropped, other invalid characters made "_".
// lossy tells whether anything but the case changed.
std::string CleanPart(const std::string& part, bool* lossy) {
  std::string out;
  for (char raw : part) {
    const unsigned char c = static_cast<unsigned char>(std::toupper(static_cast<unsigned char>(raw)));
    if (c == ' ' || c == '.') {
      *lossy = true;
    } else if (IsShortNameChar(c)) {
      out += static_cast<char>(c);
    } else {
      out += '_';
      *lossy = true;
    }
  }
  return out;
}

std::string MakeAlias(const std::string& name, const std::set<std::string>& taken,
                      const std::set<std::string>& takenBases) {
  std::size_t start = name.find_first_not_of('.');
  bool lossy = start != 0;
  const std::string trimmed = start == std::string::npos ? std::string() : name.substr(start);
  const std::size_t dot = trimmed.rfind('.');
  std::string base = CleanPart(trimmed.substr(0, dot), &lossy);
  std::string ext = dot == std::string::npos ? std::string() : CleanPart(trimmed.substr(dot + 1), &lossy);
  if (base.empty()) {
    base = "_";
    lossy = true;
  }
  if (ext.size() > 3) {
    ext.resize(3);
    lossy = true;
  }
  const std::string suffix = ext.empty() ? std::string() : "." + ext;
  if (!lossy && base.size() <= 8 && taken.count(base + suffix) == 0) return base + suffix;

  // The number is unique without the extension too: the alias's base names the pieces,
  // and two sources of one folder must not write the same ones.
  for (unsigned n = 1;; ++n) {
    const std::string tail = "~" + std::to_string(n);
    const std::size_t room = 8 - tail.size();
    const std::string stem = base.substr(0, std::min<std::size_t>(6, room)) + tail;
    if (takenBases.count(stem) == 0 && taken.count(stem + suffix) == 0) return stem + suffix;
  }
}

std::string BaseOf(const std::string& name) { return name.substr(0, name.find('.')); }

}  // namespace

bool IsShortName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  const std::size_t dot = name.find('.');
  const std::string base = name.substr(0, dot);
  const std::string ext = dot == std::string::npos ? std::string() : name.substr(dot + 1);
  if (base.empty() || base.size() > 8 || ext.size() > 3) return false;
  if (dot != std::string::npos && ext.empty()) return false;
  for (char c : base + ext) {
    if (!IsShortNameChar(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

std::map<std::string, std::string> AssignShortNames(std::vector<std::string> names) {
  std::sort(names.begin(), names.end());
  // A valid 8.3 name is its own short name; every other name holds only its alias.
  std::set<std::string> taken;
  std::set<std::string> takenBases;
  for (const std::string& name : names) {
    if (IsShortName(name)) {
      taken.insert(name);
      takenBases.insert(BaseOf(name));
    }
  }
  std::map<std::string, std::string> aliases;
  for (const std::string& name : names) {
    if (IsShortName(name) || name == "." || name == "..") continue;
    const std::string alias = MakeAlias(name, taken, takenBases);
    taken.insert(alias);
    takenBases.insert(BaseOf(alias));
    aliases[name] = alias;
  }
  return aliases;
}

}  // namespace parcelo
