#include "platform/win32/win32_system.h"

#include <windows.h>
#include <commctrl.h>
#include <mmsystem.h>

#include <vector>

namespace parcelo {

namespace {

HANDLE ToHandle(FileHandle file) { return reinterpret_cast<HANDLE>(file); }

FileHandle FromHandle(HANDLE handle) {
  return handle == INVALID_HANDLE_VALUE ? kInvalidFile : reinterpret_cast<FileHandle>(handle);
}

HWND ToWindow(WindowHandle window) { return static_cast<HWND>(window); }

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

constexpr std::uint32_t kNativeProgressMax = 0xFFFF;

class Guard {
 public:
  explicit Guard(CRITICAL_SECTION* lock) : lock_(lock) { EnterCriticalSection(lock_); }
  ~Guard() { LeaveCriticalSection(lock_); }
  Guard(const Guard&) = delete;
  Guard& operator=(const Guard&) = delete;

 private:
  CRITICAL_SECTION* lock_;
};

}  // namespace

// Logical state of each progress bar, so that 32-bit ranges survive the 16-bit control.
struct Win32System::ProgressBars {
  struct Bar {
    std::uint32_t minimum = 0;  // the control's defaults
    std::uint32_t maximum = 100;
    std::uint32_t position = 0;
    bool scaled = false;
  };

  ProgressBars() { InitializeCriticalSection(&lock); }
  ~ProgressBars() { DeleteCriticalSection(&lock); }

  static std::uint32_t Clamp(const Bar& bar, std::int64_t value) {
    std::int64_t low = bar.minimum < bar.maximum ? bar.minimum : bar.maximum;
    std::int64_t high = bar.minimum < bar.maximum ? bar.maximum : bar.minimum;
    if (value < low) return static_cast<std::uint32_t>(low);
    if (value > high) return static_cast<std::uint32_t>(high);
    return static_cast<std::uint32_t>(value);
  }

  static std::uint32_t Span(const Bar& bar) {
    return bar.maximum > bar.minimum ? bar.maximum - bar.minimum : 0;
  }

  static std::uint32_t NativeMax(const Bar& bar) {
    std::uint32_t span = Span(bar);
    return span < kNativeProgressMax ? span : kNativeProgressMax;
  }

  static std::uint32_t NativePos(const Bar& bar) {
    std::uint32_t span = Span(bar);
    if (span == 0 || bar.position <= bar.minimum) return 0;
    std::uint64_t offset = bar.position - bar.minimum;
    return static_cast<std::uint32_t>(offset * NativeMax(bar) / span);
  }

  // A handful of bars at most: a list is enough, and needs nothing from the C++ library.
  Bar& Of(WindowHandle dialog, int id) {
    for (Keyed& keyed : bars) {
      if (keyed.dialog == dialog && keyed.id == id) return keyed.bar;
    }
    bars.push_back({dialog, id, Bar{}});
    return bars.back().bar;
  }

  struct Keyed {
    WindowHandle dialog;
    int id;
    Bar bar;
  };
  CRITICAL_SECTION lock;
  std::vector<Keyed> bars;
};

Win32System::Win32System() : progress_(new ProgressBars) {}

Win32System::~Win32System() { delete progress_; }

FileHandle Win32System::OpenForReading(const std::string& path, std::uint32_t* error) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE && error != nullptr) *error = GetLastError();
  return FromHandle(file);
}

FileHandle Win32System::CreateForWriting(const std::string& path, std::uint32_t* error) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE && error != nullptr) *error = GetLastError();
  return FromHandle(file);
}

FileHandle Win32System::CreateNewFile(const std::string& path, std::uint32_t* error) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE && error != nullptr) {
    const DWORD code = GetLastError();
    *error = code == ERROR_ALREADY_EXISTS ? kErrorFileExists : code;
  }
  return FromHandle(file);
}

// MoveFileA never replaces a file; MoveFileExA, which could, is a stub on the 95 family.
bool Win32System::RenameNoReplace(const std::string& from, const std::string& to,
                                  std::uint32_t* error) {
  if (MoveFileA(from.c_str(), to.c_str())) return true;
  if (error != nullptr) {
    const DWORD code = GetLastError();
    *error = code == ERROR_ALREADY_EXISTS ? kErrorFileExists : code;
  }
  return false;
}

IoResult Win32System::ReadFile(FileHandle file, void* buffer, std::uint32_t count) {
  IoResult result;
  DWORD done = 0;  // Win95 insists on a count pointer
  result.ok = ::ReadFile(ToHandle(file), buffer, count, &done, nullptr) != FALSE;
  if (!result.ok) result.error = GetLastError();
  // A pipe whose writer has finished says so by this error: it is the end of its data.
  if (!result.ok && result.error == ERROR_BROKEN_PIPE) result = IoResult{true, 0, 0};
  result.bytes = done;
  return result;
}

IoResult Win32System::WriteFile(FileHandle file, const void* data, std::uint32_t count) {
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

ChunkResult Win32System::CopyChunk(FileHandle source, FileHandle piece, FileHandle backup,
                                   void* buffer, std::uint32_t count, ChunkTap* tap) {
  if (tap == nullptr) return System::CopyChunk(source, piece, backup, buffer, count);
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

void Win32System::CloseFile(FileHandle file) {
  if (file != kInvalidFile) CloseHandle(ToHandle(file));
}

bool Win32System::FindFile(const std::string& path, FoundFile* found) {
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

bool Win32System::RemoveFile(const std::string& path) { return DeleteFileA(path.c_str()) != FALSE; }

bool Win32System::IsSameFile(const std::string& a, const std::string& b) {
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

std::vector<std::string> Win32System::FolderNames(const std::string& folder) {
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

std::vector<FolderEntry> Win32System::ListFolder(const std::string& folder) {
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

bool Win32System::CanNameFile(const std::string& path) {
  // 255 characters a name on the long-name volumes of Windows 95 and later; the volume is not
  // asked, as Wine then reads the device of a Unix drive and says so on standard error.
  constexpr std::size_t kLongestName = 255;
  std::string full;
  if (!FullPath(path, &full) || full.size() >= MAX_PATH) return false;
  const std::size_t slash = full.rfind('\\');
  const std::size_t length = slash == std::string::npos ? full.size() : full.size() - slash - 1;
  return length <= kLongestName;
}

bool Win32System::LockName(const std::string& folder, const std::string& name, NameLock* lock) {
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

void Win32System::UnlockName(NameLock lock) {
  for (auto held = locks_.begin(); held != locks_.end(); ++held) {
    if (held->mutex == lock) {
      CloseHandle(reinterpret_cast<HANDLE>(lock));
      locks_.erase(held);
      return;
    }
  }
}

DriveType Win32System::DriveTypeOf(const std::string& root) {
  return static_cast<DriveType>(GetDriveTypeA(RootOrNull(root)));
}

std::uint64_t Win32System::FreeBytes(const std::string& root) {
  DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
  if (!GetDiskFreeSpaceA(RootOrNull(root), &sectorsPerCluster, &bytesPerSector, &freeClusters,
                         &totalClusters)) {
    return 0;
  }
  return static_cast<std::uint64_t>(sectorsPerCluster) * bytesPerSector * freeClusters;
}

std::uint32_t Win32System::ClusterBytes(const std::string& root) {
  DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
  if (!GetDiskFreeSpaceA(RootOrNull(root), &sectorsPerCluster, &bytesPerSector, &freeClusters,
                         &totalClusters) ||
      sectorsPerCluster == 0 || bytesPerSector == 0) {
    return 1;
  }
  return sectorsPerCluster * bytesPerSector;
}

void* Win32System::AllocateBuffer(std::uint32_t size) {
  return HeapAlloc(GetProcessHeap(), 0, size);
}

void Win32System::FreeBuffer(void* buffer) {
  if (buffer != nullptr) HeapFree(GetProcessHeap(), 0, buffer);
}

bool Win32System::ToOemText(const std::string& text, std::string* oem) {
  oem->assign(text.size(), '\0');
  if (!text.empty()) CharToOemBuffA(text.c_str(), &(*oem)[0], static_cast<DWORD>(text.size()));
  // The system puts the nearest character where the page has none (an "E" for the euro):
  // only a text that reads back the same was held.
  return FromOemText(*oem) == text;
}

std::string Win32System::FromOemText(const std::string& oem) {
  std::string text(oem.size(), '\0');
  if (!oem.empty()) OemToCharBuffA(oem.c_str(), &text[0], static_cast<DWORD>(oem.size()));
  return text;
}

// Character by character by the system's capitals, as names compare on its disks; a
// linguistic comparison would also take "ss" for a sharp s.
bool Win32System::EqualIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  std::string upperA = a, upperB = b;  // names hold no NUL: CharUpperA stops at the end
  CharUpperA(&upperA[0]);
  CharUpperA(&upperB[0]);
  return upperA == upperB;
}

int Win32System::ShowMessageBox(WindowHandle owner, const std::string& text,
                                const std::string& caption, unsigned style) {
  return MessageBoxA(ToWindow(owner), text.c_str(), caption.c_str(), style);
}

void Win32System::SetItemText(WindowHandle dialog, int id, const std::string& text) {
  SetDlgItemTextA(ToWindow(dialog), id, text.c_str());
}

// The lock is never held across SendMessage: a worker blocked in SendMessage while
// the UI thread waits for the lock would never return.
void Win32System::ProgressSetRange(WindowHandle dialog, int id, std::uint32_t minimum,
                                   std::uint32_t maximum) {
  bool wasScaled;
  ProgressBars::Bar bar;
  {
    Guard guard(&progress_->lock);
    ProgressBars::Bar& state = progress_->Of(dialog, id);
    wasScaled = state.scaled;
    state.minimum = minimum;
    state.maximum = maximum;
    state.scaled = maximum > kNativeProgressMax;
    state.position = ProgressBars::Clamp(state, state.position);  // as the control does
    bar = state;
  }
  HWND control = GetDlgItem(ToWindow(dialog), id);
  if (!bar.scaled) {
    SendMessageA(control, PBM_SETRANGE, 0, MAKELPARAM(minimum, maximum));
    // The control still holds a scaled position from the previous range.
    if (wasScaled) SendMessageA(control, PBM_SETPOS, bar.position, 0);
    return;
  }
  SendMessageA(control, PBM_SETRANGE, 0, MAKELPARAM(0, ProgressBars::NativeMax(bar)));
  SendMessageA(control, PBM_SETPOS, ProgressBars::NativePos(bar), 0);
}

void Win32System::ProgressSetPos(WindowHandle dialog, int id, std::uint32_t position) {
  ProgressBars::Bar bar;
  {
    Guard guard(&progress_->lock);
    ProgressBars::Bar& state = progress_->Of(dialog, id);
    state.position = ProgressBars::Clamp(state, position);
    bar = state;
  }
  SendMessageA(GetDlgItem(ToWindow(dialog), id), PBM_SETPOS,
               bar.scaled ? ProgressBars::NativePos(bar) : position, 0);
}

void Win32System::ProgressDelta(WindowHandle dialog, int id, std::int32_t delta) {
  ProgressBars::Bar bar;
  {
    Guard guard(&progress_->lock);
    ProgressBars::Bar& state = progress_->Of(dialog, id);
    state.position = ProgressBars::Clamp(state, static_cast<std::int64_t>(state.position) + delta);
    bar = state;
  }
  HWND control = GetDlgItem(ToWindow(dialog), id);
  if (bar.scaled) {
    SendMessageA(control, PBM_SETPOS, ProgressBars::NativePos(bar), 0);
  } else {
    SendMessageA(control, PBM_DELTAPOS, static_cast<WPARAM>(delta), 0);
  }
}

void Win32System::UpdateToolTip(WindowHandle toolTip, WindowHandle dialog, int id,
                                const std::string& text) {
  if (toolTip == nullptr) return;
  TOOLINFOA info = {};
  // Win95's comctl32 rejects the larger structures of later versions.
#ifdef TTTOOLINFOA_V1_SIZE
  info.cbSize = TTTOOLINFOA_V1_SIZE;
#else
  info.cbSize = sizeof(info);
#endif
  info.uFlags = TTF_IDISHWND;
  info.hwnd = ToWindow(dialog);
  info.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(ToWindow(dialog), id));
  info.lpszText = const_cast<char*>(text.c_str());  // the control copies it
  SendMessageA(ToWindow(toolTip), TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&info));
}

void Win32System::CloseWindow(WindowHandle window) {
  if (window != nullptr) SendMessageA(ToWindow(window), WM_CLOSE, 0, 0);
}

void Win32System::PlaySystemSound(const std::string& alias) {
  sndPlaySoundA(alias.c_str(), SND_SYNC);
}

}  // namespace parcelo

namespace parcelo {

RegistryKey Win32System::CreateMachineKey(const std::string& subKey, bool* created) {
  HKEY key = nullptr;
  DWORD disposition = 0;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_ALL_ACCESS, nullptr, &key, &disposition) != ERROR_SUCCESS) {
    return kNoKey;
  }
  if (created != nullptr) *created = disposition == REG_CREATED_NEW_KEY;
  return reinterpret_cast<RegistryKey>(key);
}

bool Win32System::QueryDword(RegistryKey key, const std::string& name, std::uint32_t* value) {
  DWORD type = 0;
  DWORD data = 0;
  DWORD size = sizeof data;
  if (RegQueryValueExA(reinterpret_cast<HKEY>(key), name.c_str(), nullptr, &type,
                       reinterpret_cast<BYTE*>(&data), &size) != ERROR_SUCCESS ||
      size != sizeof data) {
    return false;
  }
  *value = data;
  return true;
}

bool Win32System::SetDword(RegistryKey key, const std::string& name, std::uint32_t value) {
  const DWORD data = value;
  return RegSetValueExA(reinterpret_cast<HKEY>(key), name.c_str(), 0, REG_DWORD,
                        reinterpret_cast<const BYTE*>(&data), sizeof data) == ERROR_SUCCESS;
}

void Win32System::CloseKey(RegistryKey key) { RegCloseKey(reinterpret_cast<HKEY>(key)); }

}  // namespace parcelo
