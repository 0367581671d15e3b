#include <unistd.h>

#include <string>

#include "tools/host.h"

namespace qinstall {

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  return folder.back() == '/' ? folder + name : folder + "/" + name;
}

std::string ParentFolder(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {};
  const std::size_t end = path.find_last_not_of('/', slash);
  return end == std::string::npos ? "/" : path.substr(0, end + 1);
}

std::string SystemPath(const std::string& path) {
  if (path.empty() || path[0] == '/') return path;
  std::string folder(4096, '\0');
  if (getcwd(&folder[0], folder.size()) == nullptr) return path;
  folder.resize(folder.find('\0'));
  return JoinPath(folder, path);
}

}  // namespace qinstall
