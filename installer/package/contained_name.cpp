#include "package/contained_name.h"

#include <cstring>

namespace qinstall {
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// "..", "...", ". ." and the like: Windows 95 takes every dot past the first as one more
// level up, and drops trailing blanks.
bool IsParentLevel(const char* begin, const char* end) {
  int dots = 0;
  for (const char* c = begin; c < end; ++c) {
    if (*c == '.') {
      ++dots;
    } else if (*c != ' ') {
      return false;
    }
  }
  return dots >= 2;
}

}  // namespace

const char* EscapingNameReason(const char* name) {
  if (IsSeparator(name[0])) return "it is an absolute path";
  if (name[0] != '\0' && name[1] == ':') return "it begins with a drive letter";
  const char* level = name;
  for (const char* c = name;; ++c) {
    if (*c == '\0' || IsSeparator(*c)) {
      if (IsParentLevel(level, c)) return "it has a \"..\" level";
      if (*c == '\0') return nullptr;
      level = c + 1;
    }
  }
}

}  // namespace qinstall
