#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "tools/host.h"

namespace qinstall {

PathKind KindOfPath(const std::string& path) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return PathKind::None;
  if (S_ISREG(info.st_mode)) return PathKind::File;
  if (S_ISDIR(info.st_mode)) return PathKind::Folder;
  if (S_ISFIFO(info.st_mode)) return PathKind::Fifo;
  if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode)) return PathKind::Device;
  return PathKind::Other;
}

std::uint64_t FileSizeOf(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)
             ? static_cast<std::uint64_t>(info.st_size)
             : 0;
}

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
