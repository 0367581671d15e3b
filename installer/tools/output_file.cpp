#include "tools/output_file.h"

#include "tools/system_error_text.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

namespace qinstall {
namespace {

std::string NotAFile(const std::string& path, const char* what) {
  return path + ": " + what + ", not a file";
}

std::string CannotWrite(const std::string& path, const std::string& reason) {
  return "cannot write " + path + ": " + reason;
}

#ifdef _WIN32

std::string FolderOf(const std::string& path) {
  const std::size_t end = path.find_last_of("\\/:");
  if (end == std::string::npos) return ".";
  if (path[end] == ':') return path.substr(0, end + 1) + ".";
  return end == 0 ? path.substr(0, 1) : path.substr(0, end);
}

// CON, NUL, COM1 and the like are devices in every folder and with any extension.
bool NamesADevice(const std::string& path) {
  const std::size_t start = path.find_last_of("\\/:") + 1;
  std::string base = path.substr(start, path.find('.', start) - start);
  while (!base.empty() && base.back() == ' ') base.pop_back();
  for (char& c : base) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL" || base == "CLOCK$") {
    return true;
  }
  return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
         base[3] >= '1' && base[3] <= '9';
}

bool WriteAll(const std::string& path, const std::string& bytes) {
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD error = ERROR_SUCCESS;
  DWORD put = 0;
  if (!bytes.empty() && ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &put,
                                    nullptr) == FALSE) {
    error = GetLastError();
  } else if (put != bytes.size()) {
    error = ERROR_DISK_FULL;
  } else if (FlushFileBuffers(file) == FALSE) {
    error = GetLastError();
  }
  CloseHandle(file);
  SetLastError(error);
  return error == ERROR_SUCCESS;
}

// MoveFileExA is a stub on the Windows 95 family: the old file steps aside under a free
// name of its folder, the new one takes its name, and only then is the old one deleted.
bool ReplaceBySteps(const std::string& temporary, const std::string& path,
                    const std::string& folder) {
  char aside[MAX_PATH];
  if (GetTempFileNameA(folder.c_str(), "qsd", 0, aside) == 0) return false;
  DeleteFileA(aside);
  if (MoveFileA(path.c_str(), aside) == FALSE) return false;
  if (MoveFileA(temporary.c_str(), path.c_str()) == FALSE) {
    const DWORD error = GetLastError();
    MoveFileA(aside, path.c_str());
    SetLastError(error);
    return false;
  }
  DeleteFileA(aside);
  return true;
}

}  // namespace

bool WriteOutputFile(const std::string& path, const std::string& bytes, std::string* why) {
  if (path.compare(0, 4, "\\\\.\\") == 0 || path.compare(0, 4, "//./") == 0 || NamesADevice(path)) {
    *why = NotAFile(path, "a device");
    return false;
  }
  const DWORD attributes = GetFileAttributesA(path.c_str());
  const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
  if (exists && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    *why = NotAFile(path, "a folder");
    return false;
  }
  if (exists && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    *why = CannotWrite(path, SystemErrorText(ERROR_ACCESS_DENIED));
    return false;
  }
  const std::string folder = FolderOf(path);
  char temporary[MAX_PATH];
  if (GetTempFileNameA(folder.c_str(), "qsd", 0, temporary) == 0) {
    *why = CannotWrite(path, SystemErrorText(GetLastError()));
    return false;
  }
  bool done = WriteAll(temporary, bytes);
  if (done && !exists) {
    done = MoveFileA(temporary, path.c_str()) != FALSE;
  } else if (done) {
    done = ReplaceBySteps(temporary, path, folder);
  }
  if (!done) {
    *why = CannotWrite(path, SystemErrorText(GetLastError()));
    DeleteFileA(temporary);
  }
  return done;
}

#else

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

const char* KindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  if (S_ISLNK(mode)) return "a symbolic link";
  if (S_ISSOCK(mode)) return "a socket";
  return nullptr;
}

bool WriteAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t put = write(fd, bytes.data() + done, bytes.size() - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) {
      if (put == 0) errno = ENOSPC;
      return false;
    }
    done += static_cast<std::size_t>(put);
  }
  return fsync(fd) == 0;
}

mode_t NewFileMode() {
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

}  // namespace

bool WriteOutputFile(const std::string& path, const std::string& bytes, std::string* why) {
  struct stat info;
  const bool exists = lstat(path.c_str(), &info) == 0;
  if (exists && !S_ISREG(info.st_mode)) {
    const char* kind = KindOf(info.st_mode);
    *why = NotAFile(path, kind != nullptr ? kind : "not a regular file");
    return false;
  }
  if (exists && access(path.c_str(), W_OK) != 0) {
    *why = CannotWrite(path, std::strerror(errno));
    return false;
  }
  if (!exists && errno != ENOENT) {
    *why = CannotWrite(path, std::strerror(errno));
    return false;
  }
  std::string temporary = FolderOf(path) + "/." + BaseOf(path) + ".XXXXXX";
  const int fd = mkstemp(&temporary[0]);
  if (fd < 0) {
    *why = CannotWrite(path, std::strerror(errno));
    return false;
  }
  bool done = fchmod(fd, exists ? info.st_mode & 07777 : NewFileMode()) == 0 &&
              WriteAll(fd, bytes);
  int error = done ? 0 : errno;
  if (close(fd) != 0 && done) {
    done = false;
    error = errno;
  }
  if (done && rename(temporary.c_str(), path.c_str()) != 0) {
    done = false;
    error = errno;
  }
  if (!done) {
    unlink(temporary.c_str());
    *why = CannotWrite(path, std::strerror(error));
  }
  return done;
}

#endif

}  // namespace qinstall
