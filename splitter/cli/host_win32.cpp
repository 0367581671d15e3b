#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cerrno>

#include "cli/host.h"
#include "platform/win32/win32_system.h"

namespace parcelo {

std::unique_ptr<System> MakeHostSystem() { return std::make_unique<Win32System>(); }

std::string ToDosPath(const std::string& hostPath) {
  char full[MAX_PATH];
  const DWORD length = GetFullPathNameA(hostPath.c_str(), MAX_PATH, full, nullptr);
  if (length == 0 || length >= MAX_PATH) return std::string();
  std::string dos(full, length);
  if (dos.size() > 3 && dos.back() == '\\') dos.pop_back();
  return dos;
}

std::FILE* CreateNewFile(const std::string& path) {
  const int fd = _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
  if (fd < 0) return nullptr;
  std::FILE* file = _fdopen(fd, "wb");
  if (file == nullptr) {
    const int error = errno;
    _close(fd);
    DeleteFileA(path.c_str());
    errno = error;
  }
  return file;
}

bool RenameNoReplace(const std::string& from, const std::string& to) {
  if (MoveFileExA(from.c_str(), to.c_str(), 0)) return true;
  const DWORD error = GetLastError();
  errno = error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS ? EEXIST
          : error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL ? ENOSPC
                                                                         : EACCES;
  return false;
}

std::string NameByAlias(const std::string&, const std::string&) { return {}; }

bool StdinIsTerminal() { return _isatty(0) != 0; }
bool StderrIsTerminal() { return _isatty(2) != 0; }

}  // namespace parcelo
