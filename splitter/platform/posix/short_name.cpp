#include "platform/posix/short_name.h"

#include <algorithm>
#include <cctype>
#include <set>

namespace parcelo {
namespace {

// A name as the code page's bytes; -1 for a character it does not hold.
using OemChars = std::vector<int>;

bool IsShortNameChar(int c, const OemCodePage& page) {
  if (c < 0) return false;
  if (c >= 0x80) return page.Upper(static_cast<unsigned char>(c)) == c;
  if (std::isupper(c) || std::isdigit(c)) return true;
  return std::string("!#$%&'()-@^_`{}~").find(static_cast<char>(c)) != std::string::npos;
}

int UpperOf(int c, const OemCodePage& page) {
  if (c < 0) return c;
  return c < 0x80 ? std::toupper(c) : page.Upper(static_cast<unsigned char>(c));
}

// Upper case, blanks and inner dots dropped, other invalid characters made "_".
// lossy tells whether anything but the case changed.
std::string CleanPart(const OemChars& part, const OemCodePage& page, bool* lossy) {
  std::string out;
  for (int raw : part) {
    const int c = UpperOf(raw, page);
    if (c == ' ' || c == '.') {
      *lossy = true;
    } else if (IsShortNameChar(c, page)) {
      out += static_cast<char>(c);
    } else {
      out += '_';
      *lossy = true;
    }
  }
  return out;
}

std::size_t LastDot(const OemChars& name) {
  for (std::size_t i = name.size(); i > 0; --i) {
    if (name[i - 1] == '.') return i - 1;
  }
  return std::string::npos;
}

std::string MakeAlias(const std::string& hostName, const OemCodePage& page,
                      const std::set<std::string>& taken, const std::set<std::string>& takenBases) {
  const OemChars name = page.Characters(hostName);
  std::size_t start = 0;
  while (start < name.size() && name[start] == '.') ++start;
  bool lossy = start != 0;
  const OemChars trimmed(name.begin() + static_cast<std::ptrdiff_t>(start), name.end());
  const std::size_t dot = LastDot(trimmed);
  std::string base = CleanPart(
      OemChars(trimmed.begin(), dot == std::string::npos ? trimmed.end() : trimmed.begin() + static_cast<std::ptrdiff_t>(dot)),
      page, &lossy);
  std::string ext = dot == std::string::npos
                        ? std::string()
                        : CleanPart(OemChars(trimmed.begin() + static_cast<std::ptrdiff_t>(dot) + 1, trimmed.end()), page, &lossy);
  if (base.empty()) {
    base = "_";
    lossy = true;
  }
  if (ext.size() > 3) {
    ext.resize(3);
    lossy = true;
  }
  const std::string suffix = ext.empty() ? std::string() : page.FromOem("." + ext);
  if (!lossy && base.size() <= 8 && taken.count(page.FromOem(base) + suffix) == 0) {
    return page.FromOem(base) + suffix;
  }

  // The number is unique without the extension too: the alias's base names the pieces,
  // and two sources of one folder must not write the same ones.
  for (unsigned n = 1;; ++n) {
    const std::string tail = "~" + std::to_string(n);
    const std::size_t room = 8 - tail.size();
    const std::string stem = page.FromOem(base.substr(0, std::min<std::size_t>(6, room)) + tail);
    if (takenBases.count(stem) == 0 && taken.count(stem + suffix) == 0) return stem + suffix;
  }
}

std::string BaseOf(const std::string& name) { return name.substr(0, name.find('.')); }

}  // namespace

bool IsShortName(const std::string& hostName, const OemCodePage& page) {
  if (hostName.empty() || hostName == "." || hostName == "..") return false;
  const OemChars name = page.Characters(hostName);
  const auto dotAt = std::find(name.begin(), name.end(), '.');
  const OemChars base(name.begin(), dotAt);
  const OemChars ext(dotAt == name.end() ? name.end() : dotAt + 1, name.end());
  if (base.empty() || base.size() > 8 || ext.size() > 3) return false;
  if (dotAt != name.end() && ext.empty()) return false;
  for (const OemChars* part : {&base, &ext}) {
    for (int c : *part) {
      if (!IsShortNameChar(c, page)) return false;
    }
  }
  return true;
}

std::map<std::string, std::string> AssignShortNames(std::vector<std::string> names,
                                                    const OemCodePage& page) {
  std::sort(names.begin(), names.end());
  // A valid 8.3 name is its own short name; every other name holds only its alias.
  std::set<std::string> taken;
  std::set<std::string> takenBases;
  for (const std::string& name : names) {
    if (IsShortName(name, page)) {
      taken.insert(name);
      takenBases.insert(BaseOf(name));
    }
  }
  std::map<std::string, std::string> aliases;
  for (const std::string& name : names) {
    if (IsShortName(name, page) || name == "." || name == "..") continue;
    const std::string alias = MakeAlias(name, page, taken, takenBases);
    taken.insert(alias);
    takenBases.insert(BaseOf(alias));
    aliases[name] = alias;
  }
  return aliases;
}

}  // namespace parcelo
