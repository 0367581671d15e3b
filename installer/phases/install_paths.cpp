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

std::string DesktopFolder() { return Sys().WindowsFolder() + "\\Desktop"; }

}  // namespace qinstall
