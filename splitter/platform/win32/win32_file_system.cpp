#include "platform/win32/win32_file_system.h"

#include <windows.h>

#include <vector>

namespace parcelo {

namespace {

HANDLE ToHandle(FileHandle file) { return reinterpret_cast<HANDLE>(file); }

FileHandle FromHandle(HANDLE handle) {
  return handle == INVALID_HANDLE_VALUE ? kInvalidFile : reinterpret_cast<FileHandle>(handle);
}


// A null root means "the current drive" to the API, which is what an empty string means here.
const char* RootOrNull(const std::string& root) { return root.empty() ? nullptr : root.c_str(); }

bool FullPath(const std::string& path, std::string* full) {
  char* filePart = nullptr;
  std::string buffer(MAX_PATH, '\0');
  DWORD length = GetFullPathNameA(path.c_str(), static_cast<DWORD>(buffer.size()), &buffer[0],
                                  &filePart);
  if (length >= buffer.size()) {
    buffer.assign(length + 1, '\0');
    length = GetFullPathNameA(path.c_str(), static_cast<DWORD>(buffer.size()), &buffer[0],
                              &filePart);
  }
  if (length == 0 || length >= buffer.size()) return false;
  buffer.resize(length);
  *full = buffer;
  return true;
}

bool ShortPath(const std::string& path, std::string* shortPath) {
  std::string buffer(MAX_PATH, '\0');
  DWORD length = GetShortPathNameA(path.c_str(), &buffer[0], static_cast<DWORD>(buffer.size()));
  if (length >= buffer.size()) {
    buffer.assign(length + 1, '\0');
    length = GetShortPathNameA(path.c_str(), &buffer[0], static_cast<DWORD>(buffer.size()));
  }
  if (length == 0 || length >= buffer.size()) return false;
  buffer.resize(length);
  *shortPath = buffer;
  return true;
}

HANDLE OpenForQuery(const std::string& path) {
  return CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                     FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// Volume serial and file index of first (open) and b; *known is false when the file
// system cannot tell (the open or the query fails, or it hands back a zero index as some
// redirectors do).
bool SameByIdentity(HANDLE first, const std::string& b, bool* known) {
  *known = false;
  HANDLE second = OpenForQuery(b);
  if (second == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION infoA = {};
  BY_HANDLE_FILE_INFORMATION infoB = {};
  bool queried = GetFileInformationByHandle(first, &infoA) && GetFileInformationByHandle(second, &infoB);
  CloseHandle(second);
  if (!queried) return false;
  if ((infoA.nFileIndexHigh | infoA.nFileIndexLow) == 0 ||
      (infoB.nFileIndexHigh | infoB.nFileIndexLow) == 0) {
    return false;
  }
  *known = true;
  return infoA.dwVolumeSerialNumber == infoB.dwVolumeSerialNumber &&
         infoA.nFileIndexHigh == infoB.nFileIndexHigh &&
         infoA.nFileIndexLow == infoB.nFileIndexLow;
}

// Without file identity, "C:\OUT\..\x" and "c:\Long Name" versus "C:\LONGNA~1" are the
// aliases left to catch; the short path only exists for existing files.
bool SameByName(const std::string& a, const std::string& b) {
  std::string fullA, fullB;
  if (!FullPath(a, &fullA) || !FullPath(b, &fullB)) return false;
  if (GetFileAttributesA(fullA.c_str()) == INVALID_FILE_ATTRIBUTES ||
      GetFileAttributesA(fullB.c_str()) == INVALID_FILE_ATTRIBUTES) {
    return false;
  }
  if (lstrcmpiA(fullA.c_str(), fullB.c_str()) == 0) return true;
  std::string shortA, shortB;
  if (!ShortPath(fullA, &shortA) || !ShortPath(fullB, &shortB)) return false;
  return lstrcmpiA(shortA.c_str(), shortB.c_str()) == 0;
}

std::string Upper(std::string text) {
  if (!text.empty()) CharUpperA(text.data());  // in place, as the string's own zero ends it
  return text;
}

}  // namespace

FileHandle Win32FileSystem::OpenForReading(const std::string& path, std::uint32_t* error) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE && error != nullptr) *error = GetLastError();
  return FromHandle(file);
}

FileHandle Win32FileSystem::CreateForWriting(const std::string& path, std::uint32_t* error) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE && error != nullptr) *error = GetLastError();
  return FromHandle(file);
}

FileHandle Win32FileSystem::CreateNewFile(const std::string& path, std::uint32_t* error) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE && error != nullptr) {
    const DWORD code = GetLastError();
    *error = code == ERROR_ALREADY_EXISTS ? kErrorFileExists : code;
  }
  return FromHandle(file);
}

// MoveFileA never replaces a file; MoveFileExA, which could, is a stub on the 95 family.
bool Win32FileSystem::RenameNoReplace(const std::string& from, const std::string& to,
                                  std::uint32_t* error) {
  if (MoveFileA(from.c_str(), to.c_str())) return true;
  if (error != nullptr) {
    const DWORD code = GetLastError();
    *error = code == ERROR_ALREADY_EXISTS ? kErrorFileExists : code;
  }
  return false;
}

IoResult Win32FileSystem::ReadFile(FileHandle file, void* buffer, std::uint32_t count) {
  IoResult result;
  DWORD done = 0;  // Win95 insists on a count pointer
  result.ok = ::ReadFile(ToHandle(file), buffer, count, &done, nullptr) != FALSE;
  if (!result.ok) result.error = GetLastError();
  // A pipe whose writer has finished says so by this error: it is the end of its data.
  if (!result.ok && result.error == ERROR_BROKEN_PIPE) result = IoResult{true, 0, 0};
  result.bytes = done;
  return result;
}

IoResult Win32FileSystem::WriteFile(FileHandle file, const void* data, std::uint32_t count) {
  IoResult result;
  DWORD done = 0;
  result.ok = ::WriteFile(ToHandle(file), data, count, &done, nullptr) != FALSE;
  if (!result.ok) {
    result.error = GetLastError();
  } else if (done != count) {
    // FAT volumes report a full disk as a short write, not as an error.
    result.ok = false;
    result.error = kErrorDiskFull;
  }
  result.bytes = done;
  return result;
}

ChunkResult Win32FileSystem::CopyChunk(FileHandle source, FileHandle piece, FileHandle backup,
                                        void* buffer, std::uint32_t count, ChunkTap* tap) {
  if (tap == nullptr) return PlainCopyChunk(*this, source, piece, backup, buffer, count, nullptr);
  // A whole chunk of 5 MiB read at once is out of the cache again by the time it is summed
  // and written.
  constexpr std::uint32_t kStep = 128 * 1024;
  ChunkResult result;
  result.read.ok = result.write.ok = true;
  if (backup != kInvalidFile) result.backup.ok = true;
  auto* bytes = static_cast<unsigned char*>(buffer);
  while (result.read.bytes < count) {
    const std::uint32_t left = count - result.read.bytes;
    const std::uint32_t step = left < kStep ? left : kStep;
    const IoResult read = ReadFile(source, bytes, step);
    if (!read.ok) {  // the run ends on the read: the writes count as not tried
      ChunkResult failed;
      failed.read = read;
      return failed;
    }
    if (read.bytes == 0) break;
    result.read.bytes += read.bytes;
    tap->Seen(bytes, read.bytes);
    const IoResult write = WriteFile(piece, bytes, read.bytes);
    if (!write.ok) {
      result.write = write;
      return result;
    }
    result.write.bytes += read.bytes;
    if (backup != kInvalidFile && result.backup.ok) {
      const IoResult copied = WriteFile(backup, bytes, read.bytes);
      if (copied.ok) {
        result.backup.bytes += read.bytes;
      } else {
        result.backup = copied;
      }
    }
    if (read.bytes < step) break;
  }
  if (result.read.bytes == 0) {  // nothing read: nothing was tried after the read
    result.write = IoResult();
    result.backup = IoResult();
  }
  return result;
}

void Win32FileSystem::CloseFile(FileHandle file) {
  if (file != kInvalidFile) CloseHandle(ToHandle(file));
}

bool Win32FileSystem::FindFile(const std::string& path, FoundFile* found) {
  WIN32_FIND_DATAA data = {};
  HANDLE search = FindFirstFileA(path.c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  if (found != nullptr) {
    found->name = data.cFileName;
    found->alternateName = data.cAlternateFileName;
    found->isDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    found->kind = found->isDirectory ? EntryKind::Folder : EntryKind::File;
    found->size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    found->lastWriteTime =
        (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
        data.ftLastWriteTime.dwLowDateTime;
    found->oddKind.clear();
  }
  return true;
}

bool Win32FileSystem::RemoveFile(const std::string& path) { return DeleteFileA(path.c_str()) != FALSE; }

bool Win32FileSystem::IsSameFile(const std::string& a, const std::string& b) {
  HANDLE first = OpenForQuery(a);
  if (first == INVALID_HANDLE_VALUE) {
    // A name that is not there cannot be another file's alias. Settled by this one lookup:
    // a failed one can mean reading the whole folder (Wine looks for the name ignoring
    // case), once for every piece of a run.
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return false;
    return SameByName(a, b);
  }
  bool known = false;
  const bool same = SameByIdentity(first, b, &known);
  CloseHandle(first);
  return known ? same : SameByName(a, b);
}

std::vector<std::string> Win32FileSystem::FolderNames(const std::string& folder) {
  std::vector<std::string> names;
  std::string pattern = folder;
  if (pattern.empty() || pattern.back() != '\\') pattern += '\\';
  pattern += "*.*";
  WIN32_FIND_DATAA data = {};
  HANDLE search = FindFirstFileA(pattern.c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = data.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileA(search, &data));
  FindClose(search);
  return names;
}

std::vector<FolderEntry> Win32FileSystem::ListFolder(const std::string& folder) {
  std::vector<FolderEntry> entries;
  std::string pattern = folder;
  if (pattern.empty() || pattern.back() != '\\') pattern += '\\';
  pattern += "*.*";
  WIN32_FIND_DATAA data = {};
  HANDLE search = FindFirstFileA(pattern.c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return entries;
  do {
    const std::string name = data.cFileName;
    if (name == "." || name == "..") continue;
    const bool isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    entries.push_back({name, data.cAlternateFileName, isFolder ? EntryKind::Folder : EntryKind::File});
  } while (FindNextFileA(search, &data));
  FindClose(search);
  return entries;
}

bool Win32FileSystem::CanNameFile(const std::string& path) {
  // 255 characters a name on the long-name volumes of Windows 95 and later; the volume is not
  // asked, as Wine then reads the device of a Unix drive and says so on standard error.
  constexpr std::size_t kLongestName = 255;
  std::string full;
  if (!FullPath(path, &full) || full.size() >= MAX_PATH) return false;
  const std::size_t slash = full.rfind('\\');
  const std::size_t length = slash == std::string::npos ? full.size() : full.size() - slash - 1;
  return length <= kLongestName;
}

bool Win32FileSystem::LockName(const std::string& folder, const std::string& name, NameLock* lock) {
  *lock = kNoLock;
  std::string full, where;
  if (!FullPath(folder, &full)) return true;
  if (!ShortPath(full, &where)) where = full;  // one spelling for every alias of the folder
  if (where.empty() || where.back() != '\\') where += '\\';
  const std::uint64_t key = NameHash(Upper(where + name));
  char mutexName[64];
  wsprintfA(mutexName, "Tavrin Parcelo 95 lock %08lx%08lx", static_cast<unsigned long>(key >> 32),
            static_cast<unsigned long>(key & 0xFFFFFFFFu));
  for (const HeldLock& held : locks_) {
    if (held.name == mutexName) return true;  // a folder reached by two of its names
  }
  HANDLE mutex = CreateMutexA(nullptr, FALSE, mutexName);
  if (mutex == nullptr) return true;
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    CloseHandle(mutex);
    return false;
  }
  *lock = reinterpret_cast<NameLock>(mutex);
  locks_.push_back({*lock, mutexName});
  return true;
}

void Win32FileSystem::UnlockName(NameLock lock) {
  for (auto held = locks_.begin(); held != locks_.end(); ++held) {
    if (held->mutex == lock) {
      CloseHandle(reinterpret_cast<HANDLE>(lock));
      locks_.erase(held);
      return;
    }
  }
}

DriveType Win32FileSystem::DriveTypeOf(const std::string& root) {
  return static_cast<DriveType>(GetDriveTypeA(RootOrNull(root)));
}

std::uint64_t Win32FileSystem::FreeBytes(const std::string& root) {
  DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
  if (!GetDiskFreeSpaceA(RootOrNull(root), &sectorsPerCluster, &bytesPerSector, &freeClusters,
                         &totalClusters)) {
    return 0;
  }
  return static_cast<std::uint64_t>(sectorsPerCluster) * bytesPerSector * freeClusters;
}

std::uint32_t Win32FileSystem::ClusterBytes(const std::string& root) {
  DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
  if (!GetDiskFreeSpaceA(RootOrNull(root), &sectorsPerCluster, &bytesPerSector, &freeClusters,
                         &totalClusters) ||
      sectorsPerCluster == 0 || bytesPerSector == 0) {
    return 1;
  }
  return sectorsPerCluster * bytesPerSector;
}

void* Win32FileSystem::AllocateBuffer(std::uint32_t size) {
  return HeapAlloc(GetProcessHeap(), 0, size);
}

void Win32FileSystem::FreeBuffer(void* buffer) {
  if (buffer != nullptr) HeapFree(GetProcessHeap(), 0, buffer);
}

bool Win32FileSystem::ToOemText(const std::string& text, std::string* oem) {
  oem->assign(text.size(), '\0');
  if (!text.empty()) CharToOemBuffA(text.c_str(), &(*oem)[0], static_cast<DWORD>(text.size()));
  // The system puts the nearest character where the page has none (an "E" for the euro):
  // only a text that reads back the same was held.
  return FromOemText(*oem) == text;
}

std::string Win32FileSystem::FromOemText(const std::string& oem) {
  std::string text(oem.size(), '\0');
  if (!oem.empty()) OemToCharBuffA(oem.c_str(), &text[0], static_cast<DWORD>(oem.size()));
  return text;
}

// Character by character by the system's capitals, as names compare on its disks; a
// linguistic comparison would also take "ss" for a sharp s.
bool Win32FileSystem::EqualIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  std::string upperA = a, upperB = b;  // names hold no NUL: CharUpperA stops at the end
  CharUpperA(&upperA[0]);
  CharUpperA(&upperB[0]);
  return upperA == upperB;
}

}  // namespace parcelo
