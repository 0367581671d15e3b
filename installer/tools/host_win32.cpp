#include <string>

#include "tools/host.h"

namespace qinstall {

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  const char last = folder.back();
  const bool drive = folder.size() == 2 && folder[1] == ':';  // "C:name" is C:'s current folder
  return last == '\\' || last == '/' || drive ? folder + name : folder + "\\" + name;
}

std::string ParentFolder(const std::string& path) {
  const std::size_t separator = path.find_last_of("\\/");
  if (separator == std::string::npos) {
    return path.size() > 2 && path[1] == ':' ? path.substr(0, 2) : std::string();
  }
  const std::size_t end = path.find_last_not_of("\\/", separator);
  if (end == std::string::npos) return path.substr(0, 1);   // "\name"
  if (end == 1 && path[1] == ':') return path.substr(0, 3);  // "C:\name"
  return path.substr(0, end + 1);
}

std::string SystemPath(const std::string& path) { return path; }

}  // namespace qinstall
