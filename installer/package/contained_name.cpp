#include "package/contained_name.h"

#include <cstring>

namespace qinstall {
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// A level of dots alone, trailing blanks aside, which Windows takes for a parent folder
// (Windows 95 even reads "..." as two levels up).
bool IsParentLevel(const char* begin, const char* end) {
  while (end > begin && end[-1] == ' ') --end;
  if (end - begin < 2) return false;
  for (const char* c = begin; c < end; ++c) {
    if (*c != '.') return false;
  }
  return true;
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
