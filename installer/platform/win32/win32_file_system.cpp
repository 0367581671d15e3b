// The Win32 System's files, folders and disks: the KERNEL32 calls, passed straight through.
#include "platform/win32/win32_file_system.h"

#include <windows.h>

#include <cstdlib>

namespace qinstall {
namespace {

HANDLE ToHandle(FileHandle file) { return reinterpret_cast<HANDLE>(file); }

bool Fails(std::uint32_t* error) {
  if (error != nullptr) *error = GetLastError();
  return false;
}

// CON, NUL, COM1 and the like are devices in every folder and with any extension.
bool NamesADevice(const std::string& path) {
  if (path.compare(0, 4, "\\\\.\\") == 0 || path.compare(0, 4, "//./") == 0) return true;
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

// The folder GetTempFileNameA is to use for a file beside path.
std::string FolderOf(const std::string& path) {
  const std::size_t end = path.find_last_of("\\/:");
  if (end == std::string::npos) return ".";
  if (path[end] == ':') return path.substr(0, end + 1) + ".";
  return end == 0 ? path.substr(0, 1) : path.substr(0, end);
}

}  // namespace

std::string Win32FileSystem::WindowsFolder() {
  char folder[MAX_PATH + 1] = "";
  const UINT length = GetWindowsDirectoryA(folder, sizeof folder);
  if (length == 0 || length >= sizeof folder) return {};
  std::string text(folder, length);
  if (!text.empty() && text.back() == '\\') text.pop_back();  // a drive root
  return text;
}

FileHandle Win32FileSystem::OpenExistingForReading(const std::string& path, std::uint32_t* error) {
  const HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    if (error != nullptr) *error = GetLastError();
    return kInvalidFile;
  }
  return reinterpret_cast<FileHandle>(handle);
}

IoResult Win32FileSystem::ReadFile(FileHandle file, void* buffer, std::uint32_t count) {
  IoResult result;
  DWORD got = 0;
  result.ok = ::ReadFile(ToHandle(file), buffer, count, &got, nullptr) != FALSE;
  result.bytes = got;
  if (!result.ok) result.error = GetLastError();
  return result;
}

void Win32FileSystem::CloseFile(FileHandle file) { CloseHandle(ToHandle(file)); }

FileHandle Win32FileSystem::CreateForWriting(const std::string& path, std::uint32_t* error) {
  const HANDLE handle = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    if (error != nullptr) *error = GetLastError();
    return kInvalidFile;
  }
  return reinterpret_cast<FileHandle>(handle);
}

IoResult Win32FileSystem::WriteFile(FileHandle file, const void* data, std::uint32_t count) {
  IoResult result;
  DWORD put = 0;
  result.ok = ::WriteFile(ToHandle(file), data, count, &put, nullptr) != FALSE && put == count;
  result.bytes = put;
  if (!result.ok) result.error = GetLastError();
  return result;
}

bool Win32FileSystem::PathExists(const std::string& path) {
  WIN32_FIND_DATAA found;
  const HANDLE search = FindFirstFileA(path.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  return true;
}

bool Win32FileSystem::IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool Win32FileSystem::CreateFolder(const std::string& path, std::uint32_t* error) {
  return CreateDirectoryA(path.c_str(), nullptr) != FALSE || Fails(error);
}

bool Win32FileSystem::RemoveFolder(const std::string& path) {
  return RemoveDirectoryA(path.c_str()) != FALSE;
}

bool Win32FileSystem::CopyFileOver(const std::string& from, const std::string& to,
                                   std::uint32_t* error) {
  return CopyFileA(from.c_str(), to.c_str(), FALSE) != FALSE || Fails(error);
}

bool Win32FileSystem::RemoveFile(const std::string& path, std::uint32_t* error) {
  return DeleteFileA(path.c_str()) != FALSE || Fails(error);
}

bool Win32FileSystem::RenameFile(const std::string& from, const std::string& to,
                                 std::uint32_t* error) {
  return MoveFileA(from.c_str(), to.c_str()) != FALSE || Fails(error);
}

void* Win32FileSystem::AllocateMemory(std::size_t bytes) { return std::malloc(bytes); }

bool Win32FileSystem::IsReadOnly(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

FileHandle Win32FileSystem::CreateTemporaryBeside(const std::string& path, std::string* temporary,
                                                  std::uint32_t* error) {
  if (IsReadOnly(path)) {
    if (error != nullptr) *error = ERROR_ACCESS_DENIED;
    return kInvalidFile;
  }
  char name[MAX_PATH];
  if (GetTempFileNameA(FolderOf(path).c_str(), "qsd", 0, name) == 0) {
    Fails(error);
    return kInvalidFile;
  }
  const HANDLE handle =
      CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    Fails(error);
    DeleteFileA(name);
    return kInvalidFile;
  }
  *temporary = name;
  return reinterpret_cast<FileHandle>(handle);
}

bool Win32FileSystem::FlushFile(FileHandle file, std::uint32_t* error) {
  return FlushFileBuffers(ToHandle(file)) != FALSE || Fails(error);
}

// GetFileAttributesA takes no wildcards, unlike FindFirstFileA; there are no links to follow.
PathKind Win32FileSystem::KindOfPath(const std::string& path, bool) {
  if (NamesADevice(path)) return PathKind::Device;
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return PathKind::None;
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PathKind::Folder : PathKind::File;
}

// The volume and the file's index name it whatever path reached it.
bool Win32FileSystem::IsSameFile(const std::string& first, const std::string& second) {
  BY_HANDLE_FILE_INFORMATION info[2];
  const std::string* paths[2] = {&first, &second};
  for (int i = 0; i < 2; ++i) {
    const HANDLE file = CreateFileA(paths[i]->c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const BOOL known = GetFileInformationByHandle(file, &info[i]);
    CloseHandle(file);
    if (!known) return false;
  }
  return info[0].dwVolumeSerialNumber == info[1].dwVolumeSerialNumber &&
         info[0].nFileIndexHigh == info[1].nFileIndexHigh &&
         info[0].nFileIndexLow == info[1].nFileIndexLow;
}

bool Win32FileSystem::FileSize(const std::string& path, std::uint64_t* size) {
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD high = 0;
  SetLastError(NO_ERROR);  // a size whose low half looks like the failure value
  const DWORD low = GetFileSize(file, &high);
  const bool known = low != INVALID_FILE_SIZE || GetLastError() == NO_ERROR;
  CloseHandle(file);
  if (known) *size = (static_cast<std::uint64_t>(high) << 32) | low;
  return known;
}

// MoveFileExA is a stub on the Windows 95 family: the old file steps aside under a free
// name of its folder, the new one takes its name, and only then is the old one deleted.
bool Win32FileSystem::MoveOver(const std::string& from, const std::string& to,
                               std::uint32_t* error) {
  if (GetFileAttributesA(to.c_str()) == INVALID_FILE_ATTRIBUTES) {
    return MoveFileA(from.c_str(), to.c_str()) != FALSE || Fails(error);
  }
  char aside[MAX_PATH];
  if (GetTempFileNameA(FolderOf(to).c_str(), "qsd", 0, aside) == 0) return Fails(error);
  DeleteFileA(aside);
  if (MoveFileA(to.c_str(), aside) == FALSE) return Fails(error);
  if (MoveFileA(from.c_str(), to.c_str()) == FALSE) {
    const DWORD failure = GetLastError();
    MoveFileA(aside, to.c_str());
    if (error != nullptr) *error = failure;
    return false;
  }
  DeleteFileA(aside);
  return true;
}

}  // namespace qinstall
