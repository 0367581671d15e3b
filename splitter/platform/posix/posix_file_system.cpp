#include "platform/posix/posix_file_system.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "platform/posix/file_kind.h"
#include "platform/posix/short_name.h"

namespace parcelo {
namespace fs = std::filesystem;
namespace {

std::uint32_t Win32Error(int error) {
  switch (error) {
    case ENOENT: return kErrorFileNotFound;
    case ENOTDIR: return kErrorPathNotFound;
    case EACCES: case EPERM: case EISDIR: case EROFS: case ELOOP: case EMLINK: case ENXIO:
      return kErrorAccessDenied;
    case ENOMEM: return kErrorNotEnoughMemory;
    case ETXTBSY: case EBUSY: return kErrorSharingViolation;
    case ENOSPC: case EDQUOT: return kErrorDiskFull;
    case EEXIST: return kErrorFileExists;
    default: return 31;  // ERROR_GEN_FAILURE
  }
}

char DriveLetter(const std::string& dosPath) {
  if (dosPath.size() < 2 || dosPath[1] != ':') return 0;
  return static_cast<char>(std::toupper(static_cast<unsigned char>(dosPath[0])));
}


// The entry of folder whose name a DOS component matches without case or by its alias, or
// "" for none. folderInfo: the folder's stat just taken, when there is one.
std::string MatchInFolder(const std::string& folder, const std::string& component,
                          const struct stat* folderInfo, bool shortNames, const OemCodePage& page,
                          FolderListings* listings) {
  const FolderListings::Names kept = listings->Of(folder, folderInfo);
  const std::vector<std::string>& names = *kept;
  for (const std::string& name : names) {
    if (EqualIgnoringAsciiCase(name, component)) return name;
  }
  // Every alias holds a "~" and belongs to a name that is not 8.3 already; the check
  // keeps a folder of many pieces from being aliased at every piece it gets.
  if (!shortNames || component.find('~') == std::string::npos ||
      std::all_of(names.begin(), names.end(),
                  [&page](const std::string& name) { return IsShortName(name, page); })) {
    return {};
  }
  for (const auto& [name, alias] : AssignShortNames(names, page)) {
    if (EqualIgnoringAsciiCase(alias, component)) return name;
  }
  return {};
}

// Leaves errno at code too, so that a front end can name the cause.
void Fail(std::uint32_t* error, int code) {
  errno = code;
  if (error != nullptr) *error = Win32Error(code);
}

}  // namespace

void PosixFileSystem::MapDrive(char letter, const std::string& hostFolder, DriveType type,
                           std::uint64_t capacity) {
  std::lock_guard<std::mutex> lock(mutex_);
  drives_[static_cast<char>(std::toupper(static_cast<unsigned char>(letter)))] =
      Drive{hostFolder, type, capacity};
  folders_.Clear();
}

const PosixFileSystem::Drive* PosixFileSystem::DriveOf(const std::string& dosPath) const {
  const auto found = drives_.find(DriveLetter(dosPath));
  return found == drives_.end() ? nullptr : &found->second;
}

bool PosixFileSystem::ToHostPath(const std::string& dosPath, std::string* hostPath) const {
  HostEntry entry;
  if (!Resolve(dosPath, &entry)) return false;
  *hostPath = entry.path;
  return true;
}

bool PosixFileSystem::Resolve(const std::string& dosPath, HostEntry* entry) const {
  const Drive* drive = DriveOf(dosPath);
  if (drive == nullptr) return false;
  std::vector<std::string> parts;
  std::string component;
  for (std::size_t i = 2; i <= dosPath.size(); ++i) {
    const char c = i < dosPath.size() ? dosPath[i] : '\\';
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
  if (parts.empty()) {
    entry->path = drive->hostFolder;
    entry->folder = fs::path(entry->path).parent_path().string();
    return true;
  }
  const std::string name = parts.back();
  parts.pop_back();
  entry->folder = ResolveFolder(dosPath.substr(0, 2), drive->hostFolder, parts, entry);
  const std::string exact = entry->folder + "/" + name;
  if (lstat(exact.c_str(), &entry->info) == 0) {
    entry->path = exact;
    entry->state = HostEntry::State::Exact;
    return true;
  }
  const bool absent = errno == ENOENT;
  const std::string matched =
      entry->folderSeen ? MatchInFolder(entry->folder, name, &entry->folderInfo, shortNames_,
                                        codePage_, &listings_)
                        : std::string();
  entry->path = matched.empty() ? exact : entry->folder + "/" + matched;
  entry->state = matched.empty() && absent ? HostEntry::State::Missing : HostEntry::State::Unknown;
  return true;
}

std::string PosixFileSystem::ResolveFolder(const std::string& drivePart,
                                           const std::string& hostRoot,
                                           const std::vector<std::string>& parts,
                                           HostEntry* entry) const {
  std::string key = drivePart;
  for (const std::string& part : parts) key += "\\" + part;
  std::string host;
  if (!parts.empty() && folders_.Find(key, &host, &entry->folderInfo)) {
    entry->folderSeen = true;
    return host;
  }
  host = hostRoot;
  bool found = true;
  bool asWritten = true;
  for (const std::string& part : parts) {
    struct stat info;
    if (!found || lstat((host + "/" + part).c_str(), &info) == 0) {
      host += "/" + part;
      continue;
    }
    const std::string matched =
        MatchInFolder(host, part, nullptr, shortNames_, codePage_, &listings_);
    asWritten = false;
    found = !matched.empty();  // when not, the rest cannot exist either: taken as written
    host += "/" + (found ? matched : part);
  }
  entry->folderSeen = stat(host.c_str(), &entry->folderInfo) == 0 &&
                      S_ISDIR(entry->folderInfo.st_mode);
  if (asWritten && !parts.empty() && entry->folderSeen) {
    folders_.Keep(key, ResolvedFolders::Folder{host, entry->folderInfo});
  }
  return host;
}

bool PosixFileSystem::StatOf(const std::string& dosPath, struct stat* info) const {
  HostEntry entry;
  if (!Resolve(dosPath, &entry) || entry.state == HostEntry::State::Missing) return false;
  if (entry.state == HostEntry::State::Exact && !S_ISLNK(entry.info.st_mode)) {
    *info = entry.info;
    return true;
  }
  return stat(entry.path.c_str(), info) == 0;
}

bool PosixFileSystem::ChangeDisk(char letter, const std::string& archiveFolder) {
  const Drive* drive = DriveOf(std::string(1, letter) + ":");
  if (drive == nullptr) return false;
  folders_.Clear();
  std::error_code error;
  fs::create_directories(archiveFolder, error);
  for (const std::string& name : ReadFolderNames(drive->hostFolder)) {
    fs::rename(fs::path(drive->hostFolder) / name, fs::path(archiveFolder) / name, error);
    if (error) return false;
  }
  return true;
}

std::uint64_t PosixFileSystem::UsedBytes(const Drive& drive) const {
  std::uint64_t used = 0;
  std::error_code error;
  for (fs::recursive_directory_iterator it(drive.hostFolder, error), end; !error && it != end;
       it.increment(error)) {
    if (it->is_regular_file(error)) used += it->file_size(error);
  }
  return used;
}

FileHandle PosixFileSystem::OpenForReading(const std::string& path, std::uint32_t* error) {
  std::string host;
  if (!ToHostPath(path, &host)) {
    Fail(error, ENOTDIR);
    return kInvalidFile;
  }
  const int fd = open(host.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);  // a FIFO is refused below
  if (fd < 0) {
    Fail(error, errno);
    return kInvalidFile;
  }
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    Fail(error, EISDIR);
    return kInvalidFile;
  }
  posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
  return fd;
}

FileHandle PosixFileSystem::CreateForWriting(const std::string& path, std::uint32_t* error) {
  HostEntry entry;
  if (!Resolve(path, &entry)) {
    Fail(error, ENOTDIR);
    return kInvalidFile;
  }
  const std::string& host = entry.path;
  const fs::path made(host);
  const std::string folder = made.parent_path().string();
  const bool listed =
      listings_.IsCurrent(folder, entry.folderSeen && folder == entry.folder ? &entry.folderInfo
                                                                            : nullptr);
  // A name the lookup found free is made new: what O_EXCL creates is an empty file of this
  // run's own, with nothing to check.
  int fd = -1;
  if (entry.state == HostEntry::State::Missing) {
    fd = open(host.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0 && errno != EEXIST) {
      Fail(error, errno);
      return kInvalidFile;
    }
  }
  if (fd < 0) {
    // Never through a link, which would write over a file outside the destination: not a
    // symbolic one (O_NOFOLLOW), nor a second name of a file. Opened without blocking, so
    // that a FIFO of that name is met at once; emptied only once it is known to be ours.
    fd = open(host.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
    if (fd < 0) {
      Fail(error, errno);
      return kInvalidFile;
    }
    struct stat info;
    const int refusal = fstat(fd, &info) != 0 ? errno
                        : !S_ISREG(info.st_mode) ? EISDIR
                        : info.st_nlink > 1      ? EMLINK
                                                 : 0;
    if (refusal != 0 || fcntl(fd, F_SETFL, 0) != 0 || ftruncate(fd, 0) != 0) {
      const int code = refusal != 0 ? refusal : errno;
      close(fd);
      Fail(error, code);
      return kInvalidFile;
    }
  }
  listings_.Added(folder, made.filename().string(), listed);
  std::lock_guard<std::mutex> lock(mutex_);
  if (const Drive* drive = DriveOf(path); drive != nullptr && drive->capacity != 0) {
    writeDrives_[fd] = DriveLetter(path);
  }
  return fd;
}

FileHandle PosixFileSystem::CreateNewFile(const std::string& path, std::uint32_t* error) {
  std::string host;
  if (!ToHostPath(path, &host)) {
    Fail(error, ENOTDIR);
    return kInvalidFile;
  }
  const int fd = open(host.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) {
    Fail(error, errno);
    return kInvalidFile;
  }
  return fd;
}

bool PosixFileSystem::RenameNoReplace(const std::string& from, const std::string& to,
                                  std::uint32_t* error) {
  std::string hostFrom, hostTo;
  if (!ToHostPath(from, &hostFrom) || !ToHostPath(to, &hostTo)) {
    Fail(error, ENOTDIR);
    return false;
  }
  // A new name that differs only in case finds the file itself: that is its new name as
  // written, as MoveFileA gives it.
  if (hostTo != hostFrom && IsSameFile(from, to)) {
    const std::string written = to.substr(to.find_last_of("\\:") + 1);
    hostTo = fs::path(hostTo).parent_path().string() + "/" + written;
  }
  // It may move a folder, or free or take a name that an alias stood for.
  folders_.Clear();
  if (renameat2(AT_FDCWD, hostFrom.c_str(), AT_FDCWD, hostTo.c_str(), RENAME_NOREPLACE) == 0) {
    return true;
  }
  if (errno != EINVAL && errno != ENOSYS) {
    Fail(error, errno);
    return false;
  }
  // File systems without the flag: a hard link cannot replace either.
  if (link(hostFrom.c_str(), hostTo.c_str()) == 0) {
    if (unlink(hostFrom.c_str()) == 0) return true;
    Fail(error, errno);
    return false;
  }
  if (errno != EPERM && errno != ENOTSUP) {
    Fail(error, errno);
    return false;
  }
  struct stat info;
  if (lstat(hostTo.c_str(), &info) == 0) {
    Fail(error, EEXIST);
    return false;
  }
  if (rename(hostFrom.c_str(), hostTo.c_str()) == 0) return true;
  Fail(error, errno);
  return false;
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
  std::uint32_t allowed = count;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto simulated = writeDrives_.find(file);
    if (simulated != writeDrives_.end()) {
      const Drive& drive = drives_.at(simulated->second);
      const std::uint64_t used = UsedBytes(drive);
      const std::uint64_t room = used < drive.capacity ? drive.capacity - used : 0;
      if (room < count) allowed = static_cast<std::uint32_t>(room);
    }
  }
  const auto* bytes = static_cast<const unsigned char*>(data);
  while (result.bytes < allowed) {
    const ssize_t put = write(static_cast<int>(file), bytes + result.bytes, allowed - result.bytes);
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) {
      result.error = Win32Error(errno);
      return result;
    }
    result.bytes += static_cast<std::uint32_t>(put);
  }
  if (allowed < count) {
    errno = ENOSPC;
    result.error = kErrorDiskFull;
    return result;
  }
  result.ok = true;
  return result;
}

void PosixFileSystem::CloseFile(FileHandle file) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    writeDrives_.erase(file);
  }
  close(static_cast<int>(file));
}

bool PosixFileSystem::FindFile(const std::string& path, FoundFile* found) {
  HostEntry entry;
  if (!Resolve(path, &entry) || entry.state == HostEntry::State::Missing) return false;
  const std::string& host = entry.path;
  const bool exact = entry.state == HostEntry::State::Exact;
  struct stat info = entry.info;
  if ((!exact || S_ISLNK(entry.info.st_mode)) && stat(host.c_str(), &info) != 0) return false;
  const fs::path hostPath(host);
  found->name = hostPath.filename().string();
  found->alternateName.clear();
  if (shortNames_ && !IsShortName(found->name, codePage_)) {
    const std::string folder = hostPath.parent_path().string();
    const bool seen = entry.folderSeen && folder == entry.folder;
    const auto aliases =
        AssignShortNames(*listings_.Of(folder, seen ? &entry.folderInfo : nullptr), codePage_);
    const auto alias = aliases.find(found->name);
    if (alias != aliases.end()) found->alternateName = alias->second;
  }
  found->isDirectory = S_ISDIR(info.st_mode);
  found->kind = S_ISREG(info.st_mode)   ? EntryKind::File
                : S_ISDIR(info.st_mode) ? EntryKind::Folder
                                        : EntryKind::Other;
  found->size = static_cast<std::uint64_t>(info.st_size);
  found->lastWriteTime = static_cast<std::uint64_t>(info.st_mtim.tv_sec) * 1000000000u +
                         static_cast<std::uint64_t>(info.st_mtim.tv_nsec);
  // Files are created without following a link; a link here is no place for one.
  struct stat own = entry.info;
  const mode_t mode = exact || lstat(host.c_str(), &own) == 0 ? own.st_mode : info.st_mode;
  found->oddKind =
      S_ISREG(mode) || S_ISDIR(mode) ? std::string() : std::string(FileKindName(mode));
  return true;
}

bool PosixFileSystem::RemoveFile(const std::string& path) {
  std::string host;
  if (!ToHostPath(path, &host)) return false;
  // What was removed may have held an alias that another name now takes.
  folders_.Clear();
  return unlink(host.c_str()) == 0;
}

bool PosixFileSystem::EqualIgnoringCase(const std::string& a, const std::string& b) {
  std::string oemA, oemB;
  if (!codePage_.ToOem(a, &oemA) || !codePage_.ToOem(b, &oemB)) return a == b;
  if (oemA.size() != oemB.size()) return false;
  for (std::size_t i = 0; i < oemA.size(); ++i) {
    if (codePage_.Upper(static_cast<unsigned char>(oemA[i])) !=
        codePage_.Upper(static_cast<unsigned char>(oemB[i]))) {
      return false;
    }
  }
  return true;
}

bool PosixFileSystem::IsSameFile(const std::string& a, const std::string& b) {
  struct stat infoA, infoB;
  return StatOf(a, &infoA) && StatOf(b, &infoB) && infoA.st_dev == infoB.st_dev &&
         infoA.st_ino == infoB.st_ino;
}

std::vector<std::string> PosixFileSystem::FolderNames(const std::string& folder) {
  std::string host;
  if (!ToHostPath(folder, &host)) return {};
  return *listings_.Of(host);
}

std::vector<FolderEntry> PosixFileSystem::ListFolder(const std::string& folder) {
  std::string host;
  if (!ToHostPath(folder, &host)) return {};
  std::vector<FolderEntry> entries;
  const FolderListings::Names names = listings_.Of(host);
  std::map<std::string, std::string> aliases;
  if (shortNames_) aliases = AssignShortNames(*names, codePage_);
  for (const std::string& name : *names) {
    struct stat info;
    EntryKind kind = EntryKind::Other;
    if (lstat((host + "/" + name).c_str(), &info) == 0) {
      kind = S_ISREG(info.st_mode)   ? EntryKind::File
             : S_ISDIR(info.st_mode) ? EntryKind::Folder
             : S_ISLNK(info.st_mode) ? EntryKind::Link
                                     : EntryKind::Other;
    }
    const auto alias = aliases.find(name);
    entries.push_back({name,
                       alias == aliases.end() || IsShortName(name, codePage_) ? std::string()
                                                                              : alias->second,
                       kind});
  }
  return entries;
}

bool PosixFileSystem::CanNameFile(const std::string& path) {
  std::string host;
  if (!ToHostPath(path, &host)) return false;
  const fs::path made(host);
  long longest = pathconf(made.parent_path().c_str(), _PC_NAME_MAX);
  if (longest <= 0) longest = NAME_MAX;
  return made.filename().string().size() <= static_cast<std::size_t>(longest) &&
         host.size() < PATH_MAX;
}

PosixFileSystem::~PosixFileSystem() {
  for (const auto& held : locks_) {
    unlink(held.second.path.c_str());
    close(held.second.fd);
  }
}

bool PosixFileSystem::LockName(const std::string& folder, const std::string& name, NameLock* lock) {
  *lock = kNoLock;
  std::string host;
  struct stat where;
  if (!ToHostPath(folder, &host) || stat(host.c_str(), &where) != 0) return true;
  std::string upper = name;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  char file[96];
  std::snprintf(file, sizeof file, "/tmp/parcelo95-%llx-%llx-%016llx.lock",
                static_cast<unsigned long long>(where.st_dev),
                static_cast<unsigned long long>(where.st_ino),
                static_cast<unsigned long long>(NameHash(upper)));
  {
    std::lock_guard<std::mutex> guard(mutex_);
    for (const auto& held : locks_) {
      if (held.second.path == file) return true;  // a folder reached by two of its names
    }
  }
  for (int attempt = 0; attempt < 8; ++attempt) {
    // Opened first without O_CREAT: a sticky /tmp refuses that flag on another user's file.
    int fd = open(file, O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT) {
      fd = open(file, O_RDONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
      if (fd >= 0) fchmod(fd, 0644);  // other users' runs must be able to open it
    }
    if (fd < 0) {
      if (errno == EEXIST || errno == ENOENT) continue;
      return true;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
      const int error = errno;
      close(fd);
      return error != EWOULDBLOCK;
    }
    // The run that held it may have removed the file meanwhile: only the file that the
    // name holds now counts.
    struct stat held, now;
    if (fstat(fd, &held) == 0 && stat(file, &now) == 0 && held.st_dev == now.st_dev &&
        held.st_ino == now.st_ino) {
      std::lock_guard<std::mutex> guard(mutex_);
      *lock = nextLock_++;
      locks_[*lock] = HeldLock{fd, file};
      return true;
    }
    close(fd);
  }
  return true;
}

void PosixFileSystem::UnlockName(NameLock lock) {
  HeldLock held;
  {
    std::lock_guard<std::mutex> guard(mutex_);
    const auto found = locks_.find(lock);
    if (found == locks_.end()) return;
    held = found->second;
    locks_.erase(found);
  }
  // Removed while still locked, so that it never removes a file another run has locked.
  unlink(held.path.c_str());
  close(held.fd);
}

DriveType PosixFileSystem::DriveTypeOf(const std::string& root) {
  std::lock_guard<std::mutex> lock(mutex_);
  const Drive* drive = DriveOf(root);
  return drive == nullptr ? DriveType::NoRootDir : drive->type;
}

std::uint64_t PosixFileSystem::FreeBytes(const std::string& root) {
  std::lock_guard<std::mutex> lock(mutex_);
  const Drive* drive = DriveOf(root);
  if (drive == nullptr) return 0;
  if (drive->capacity != 0) {
    const std::uint64_t used = UsedBytes(*drive);
    return used < drive->capacity ? drive->capacity - used : 0;
  }
  struct statvfs info;
  if (statvfs(drive->hostFolder.c_str(), &info) != 0) return 0;
  return static_cast<std::uint64_t>(info.f_bavail) * info.f_frsize;
}

std::uint32_t PosixFileSystem::ClusterBytes(const std::string& root) {
  std::lock_guard<std::mutex> lock(mutex_);
  const Drive* drive = DriveOf(root);
  if (drive == nullptr || drive->capacity != 0) return 1;  // a made-up disk counts bytes
  struct statvfs info;
  if (statvfs(drive->hostFolder.c_str(), &info) != 0 || info.f_frsize == 0) return 1;
  return info.f_frsize > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<std::uint32_t>(info.f_frsize);
}

void* PosixFileSystem::AllocateBuffer(std::uint32_t size) { return std::malloc(size); }

void PosixFileSystem::FreeBuffer(void* buffer) { std::free(buffer); }

}  // namespace parcelo
