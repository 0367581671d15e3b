#include <windows.h>

#include <string>

#include "tools/host.h"

namespace qinstall {

// GetFileAttributesA takes no wildcards, unlike FindFirstFileA.
PathKind KindOfPath(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return PathKind::None;
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PathKind::Folder : PathKind::File;
}

std::uint64_t FileSizeOf(const std::string& path) {
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  DWORD high = 0;
  SetLastError(NO_ERROR);  // a size whose low half looks like the failure value
  const DWORD low = GetFileSize(file, &high);
  const bool known = low != INVALID_FILE_SIZE || GetLastError() == NO_ERROR;
  CloseHandle(file);
  return known ? (static_cast<std::uint64_t>(high) << 32) | low : 0;
}

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
