#include "platform/posix/posix_file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

namespace qinstall {
namespace fs = std::filesystem;
namespace {

// Each errno with the Win32 code the logic is given for it; the first line of a code is
// the errno whose words stand for it.
struct ErrnoCode {
  int errnoValue;
  std::uint32_t code;
};
constexpr ErrnoCode kErrnoCodes[] = {
    {ENOENT, kErrorFileNotFound},  {ENOTDIR, kErrorPathNotFound}, {EACCES, kErrorAccessDenied},
    {EPERM, kErrorAccessDenied},   {EISDIR, kErrorAccessDenied},  {EROFS, kErrorAccessDenied},
    {ENOTEMPTY, kErrorAccessDenied}, {EEXIST, kErrorAlreadyExists},
    {ENOMEM, 8},                   // ERROR_NOT_ENOUGH_MEMORY
    {EBUSY, kErrorSharingViolation}, {ETXTBSY, kErrorSharingViolation},
    {ENOSPC, 112}, {EDQUOT, 112},  // ERROR_DISK_FULL
    {EIO, 23},                     // ERROR_CRC
    {EMFILE, 4}, {ENFILE, 4},      // ERROR_TOO_MANY_OPEN_FILES
    {EINVAL, 87},                  // ERROR_INVALID_PARAMETER
    {EFBIG, 223},                  // ERROR_FILE_TOO_LARGE
    {ENAMETOOLONG, 206},           // ERROR_FILENAME_EXCED_RANGE
    {ELOOP, 1921},                 // ERROR_CANT_RESOLVE_FILENAME
};
constexpr std::uint32_t kErrorGenFailure = 31;

std::uint32_t Win32Error(int error) {
  for (const ErrnoCode& known : kErrnoCodes) {
    if (known.errnoValue == error) return known.code;
  }
  return kErrorGenFailure;
}

FileHandle Fail(std::uint32_t* error, int code) {
  if (error != nullptr) *error = Win32Error(code);
  return kInvalidFile;
}

bool FailBool(std::uint32_t* error, int code) {
  Fail(error, code);
  return false;
}

bool IsRegularFile(const std::string& host) {
  struct stat info;
  return stat(host.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

void PosixFileSystem::MapDrive(char letter, const std::string& hostFolder) {
  std::lock_guard<std::mutex> lock(mutex_);
  const char key = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
  if (hostFolder.empty()) {
    drives_.erase(key);
  } else {
    drives_[key] = hostFolder;
  }
}

void PosixFileSystem::SetCurrentFolder(const std::string& hostFolder) {
  std::lock_guard<std::mutex> lock(mutex_);
  currentFolder_ = hostFolder;
}

void PosixFileSystem::Reset() {
  std::lock_guard<std::mutex> lock(mutex_);
  drives_.clear();
  currentFolder_.clear();
}

bool PosixFileSystem::ToHostPath(const std::string& path, std::string* hostPath) const {
  if (path.empty()) return false;
  if (path[0] == '/') {
    *hostPath = path;
    return true;
  }
  std::string host;
  std::size_t start = 0;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (path.size() >= 2 && path[1] == ':') {
      const auto drive = drives_.find(static_cast<char>(std::toupper(static_cast<unsigned char>(path[0]))));
      if (drive == drives_.end()) return false;
      host = drive->second;
      start = 2;
    } else {
      host = currentFolder_.empty() ? "." : currentFolder_;
    }
  }
  // ".." never climbs above the drive's (or the current) folder.
  std::vector<std::string> parts;
  std::string component;
  for (std::size_t i = start; i <= path.size(); ++i) {
    const char c = i < path.size() ? path[i] : '\\';
    if (c != '\\' && c != '/') {
      component += c;
      continue;
    }
    if (component == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!component.empty() && component != ".") {
      parts.push_back(component);
    }
    component.clear();
  }
  for (const std::string& part : parts) host += "/" + part;
  *hostPath = host;
  return true;
}

FileHandle PosixFileSystem::OpenExistingForReading(const std::string& path, std::uint32_t* error) {
  std::string host;
  if (!ToHostPath(path, &host)) return Fail(error, ENOENT);
  const int fd = open(host.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return Fail(error, errno);
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    return Fail(error, EISDIR);
  }
  posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
  return fd;
}

FileHandle PosixFileSystem::CreateForWriting(const std::string& path, std::uint32_t* error) {
  std::string host;
  if (!ToHostPath(path, &host)) return Fail(error, ENOENT);
  const int fd = open(host.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return Fail(error, errno == ENOENT ? ENOTDIR : errno);
  return fd;
}

IoResult PosixFileSystem::ReadFile(FileHandle file, void* buffer, std::uint32_t count) {
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

IoResult PosixFileSystem::WriteFile(FileHandle file, const void* data, std::uint32_t count) {
  IoResult result;
  const auto* bytes = static_cast<const unsigned char*>(data);
  while (result.bytes < count) {
    const ssize_t put = write(static_cast<int>(file), bytes + result.bytes, count - result.bytes);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) {
      result.error = Win32Error(put < 0 ? errno : ENOSPC);
      return result;
    }
    result.bytes += static_cast<std::uint32_t>(put);
  }
  result.ok = true;
  return result;
}

void PosixFileSystem::CloseFile(FileHandle file) { close(static_cast<int>(file)); }

FileHandle PosixFileSystem::CreateTemporaryBeside(const std::string& path, std::string* temporary,
                                                  std::uint32_t* error) {
  std::string host;
  if (!ToHostPath(path, &host)) return Fail(error, ENOENT);
  struct stat info;
  const bool exists = lstat(host.c_str(), &info) == 0;
  // A file with the read-only mark stays, for root too, as it would on Windows.
  if (exists && (info.st_mode & 0222) == 0) return Fail(error, EACCES);
  if (exists && access(host.c_str(), W_OK) != 0) return Fail(error, errno);
  // Hidden beside the file it is to become, under the same name in the caller's form.
  const std::size_t hostSlash = host.rfind('/');
  const std::size_t slash = path.find_last_of("\\/");
  const std::string base = host.substr(hostSlash == std::string::npos ? 0 : hostSlash + 1);
  std::string pattern = host.substr(0, hostSlash == std::string::npos ? 0 : hostSlash + 1) + "." +
                        base + ".XXXXXX";
  const int fd = mkstemp(&pattern[0]);
  if (fd < 0) return Fail(error, errno);
  const mode_t mask = umask(0);
  umask(mask);
  if (fchmod(fd, exists ? info.st_mode & 07777 : 0666 & ~mask) != 0) {
    const int failure = errno;
    close(fd);
    unlink(pattern.c_str());
    return Fail(error, failure);
  }
  *temporary = path.substr(0, slash == std::string::npos ? 0 : slash + 1) +
               pattern.substr(pattern.size() - base.size() - 8);
  return fd;
}

bool PosixFileSystem::FlushFile(FileHandle file, std::uint32_t* error) {
  return fsync(static_cast<int>(file)) == 0 || FailBool(error, errno);
}

bool PosixFileSystem::PathExists(const std::string& path) {
  std::string host;
  struct stat info;
  return ToHostPath(path, &host) && lstat(host.c_str(), &info) == 0;
}

bool PosixFileSystem::IsFolder(const std::string& path) {
  std::string host;
  struct stat info;
  return ToHostPath(path, &host) && stat(host.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

PathKind PosixFileSystem::KindOfPath(const std::string& path, bool followLinks) {
  std::string host;
  struct stat info;
  if (!ToHostPath(path, &host) ||
      (followLinks ? stat(host.c_str(), &info) : lstat(host.c_str(), &info)) != 0) {
    return PathKind::None;
  }
  if (S_ISREG(info.st_mode)) return PathKind::File;
  if (S_ISDIR(info.st_mode)) return PathKind::Folder;
  if (S_ISFIFO(info.st_mode)) return PathKind::Fifo;
  if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode)) return PathKind::Device;
  if (S_ISLNK(info.st_mode)) return PathKind::Link;
  if (S_ISSOCK(info.st_mode)) return PathKind::Socket;
  return PathKind::Other;
}

bool PosixFileSystem::IsSameFile(const std::string& first, const std::string& second) {
  std::string hostFirst;
  std::string hostSecond;
  struct stat a;
  struct stat b;
  return ToHostPath(first, &hostFirst) && ToHostPath(second, &hostSecond) &&
         stat(hostFirst.c_str(), &a) == 0 && stat(hostSecond.c_str(), &b) == 0 &&
         a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool PosixFileSystem::FileSize(const std::string& path, std::uint64_t* size) {
  std::string host;
  struct stat info;
  if (!ToHostPath(path, &host) || stat(host.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
    return false;
  }
  *size = static_cast<std::uint64_t>(info.st_size);
  return true;
}

bool PosixFileSystem::CreateFolder(const std::string& path, std::uint32_t* error) {
  std::string host;
  if (!ToHostPath(path, &host)) return FailBool(error, ENOTDIR);
  if (mkdir(host.c_str(), 0755) == 0) return true;
  return FailBool(error, errno == ENOENT ? ENOTDIR : errno);
}

bool PosixFileSystem::RemoveFolder(const std::string& path) {
  std::string host;
  return ToHostPath(path, &host) && rmdir(host.c_str()) == 0;
}

bool PosixFileSystem::CopyFileOver(const std::string& from, const std::string& to,
                               std::uint32_t* error) {
  std::string hostFrom;
  std::string hostTo;
  if (!ToHostPath(from, &hostFrom) || !ToHostPath(to, &hostTo)) return FailBool(error, ENOENT);
  if (!IsRegularFile(hostFrom)) return FailBool(error, ENOENT);
  std::error_code failure;
  fs::copy_file(hostFrom, hostTo, fs::copy_options::overwrite_existing, failure);
  if (failure) return FailBool(error, failure.value());
  return true;
}

bool PosixFileSystem::RemoveFile(const std::string& path, std::uint32_t* error) {
  std::string host;
  if (!ToHostPath(path, &host)) return FailBool(error, ENOENT);
  // DeleteFileA refuses a file with the read-only mark, which unlink would take.
  struct stat info;
  if (lstat(host.c_str(), &info) == 0 && S_ISREG(info.st_mode) && (info.st_mode & 0222) == 0) {
    return FailBool(error, EACCES);
  }
  if (unlink(host.c_str()) == 0) return true;
  return FailBool(error, errno);
}

bool PosixFileSystem::RenameFile(const std::string& from, const std::string& to,
                             std::uint32_t* error) {
  std::string hostFrom;
  std::string hostTo;
  struct stat info;
  if (!ToHostPath(from, &hostFrom) || !ToHostPath(to, &hostTo)) return FailBool(error, ENOENT);
  if (lstat(hostTo.c_str(), &info) == 0) return FailBool(error, EEXIST);
  if (rename(hostFrom.c_str(), hostTo.c_str()) == 0) return true;
  return FailBool(error, errno);
}

bool PosixFileSystem::MoveOver(const std::string& from, const std::string& to,
                               std::uint32_t* error) {
  std::string hostFrom;
  std::string hostTo;
  if (!ToHostPath(from, &hostFrom) || !ToHostPath(to, &hostTo)) return FailBool(error, ENOENT);
  return rename(hostFrom.c_str(), hostTo.c_str()) == 0 || FailBool(error, errno);
}

bool PosixFileSystem::IsReadOnly(const std::string& path) {
  std::string host;
  struct stat info;
  return ToHostPath(path, &host) && stat(host.c_str(), &info) == 0 && (info.st_mode & 0222) == 0;
}

void* PosixFileSystem::AllocateMemory(std::size_t bytes) { return std::malloc(bytes); }

std::string HostErrorText(std::uint32_t code) {
  for (const ErrnoCode& known : kErrnoCodes) {
    if (known.code == code) return std::strerror(known.errnoValue);
  }
  if (code == kErrorGenFailure) return "the system reports a general failure";
  return "system error " + std::to_string(code);
}

PosixFileSystem& HostFiles() {
  static PosixFileSystem files;
  return files;
}

}  // namespace qinstall
