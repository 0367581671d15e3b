#include "phases/install_paths.h"

#include "platform/system.h"

namespace qinstall {

bool BuildPath(std::string* out, std::initializer_list<std::string_view> parts) {
  std::size_t length = 0;
  for (std::string_view part : parts) length += part.size();
  if (length > kMaxPathChars) return false;
  out->clear();
  out->reserve(length);
  for (std::string_view part : parts) out->append(part);
  return true;
}

bool SameNameNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const unsigned char x = static_cast<unsigned char>(a[i]);
    const unsigned char y = static_cast<unsigned char>(b[i]);
    if (x != y && !(x >= 'a' && x <= 'z' && x - 'a' + 'A' == y) &&
        !(y >= 'a' && y <= 'z' && y - 'a' + 'A' == x)) {
      return false;
    }
  }
  return true;
}

std::string DesktopFolder() { return Files().WindowsFolder() + "\\Desktop"; }

}  // namespace qinstall
