// The POSIX System: host paths, plain file descriptors. POSIX has no share modes, so the
// installer's exclusive open cannot keep other readers out here.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "platform/system.h"

namespace qinstall {
namespace {

std::uint32_t Win32Error(int error) {
  switch (error) {
    case ENOENT: return 2;                              // ERROR_FILE_NOT_FOUND
    case ENOTDIR: return 3;                             // ERROR_PATH_NOT_FOUND
    case EACCES: case EPERM: case EISDIR: return 5;     // ERROR_ACCESS_DENIED
    case ENOMEM: return 8;                              // ERROR_NOT_ENOUGH_MEMORY
    case EIO: return 23;                                // ERROR_CRC
    default: return 31;                                 // ERROR_GEN_FAILURE
  }
}

class PosixSystem : public System {
 public:
  FileHandle OpenExistingForReading(const std::string& path, std::uint32_t* error) override {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return Fail(error, errno);
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
      close(fd);
      return Fail(error, EISDIR);
    }
    posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    return fd;
  }

  IoResult ReadFile(FileHandle file, void* buffer, std::uint32_t count) override {
    IoResult result;
    auto* bytes = static_cast<unsigned char*>(buffer);
    while (result.bytes < count) {
      const ssize_t got = read(static_cast<int>(file), bytes + result.bytes, count - result.bytes);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) {
        result.error = Win32Error(errno);
        return result;
      }
      if (got == 0) break;
      result.bytes += static_cast<std::uint32_t>(got);
    }
    result.ok = true;
    return result;
  }

  void CloseFile(FileHandle file) override { close(static_cast<int>(file)); }

  void* AllocateMemory(std::size_t bytes) override { return std::malloc(bytes); }

  int ShowMessageBox(WindowHandle, const std::string& text, const std::string& caption,
                     unsigned) override {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    return kIdOk;
  }

 private:
  static FileHandle Fail(std::uint32_t* error, int code) {
    if (error != nullptr) *error = Win32Error(code);
    return kInvalidFile;
  }
};

}  // namespace

System& PlatformSystem() {
  static PosixSystem system;
  return system;
}

}  // namespace qinstall
