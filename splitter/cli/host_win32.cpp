#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cerrno>

#include <cstdio>
#include <cstdlib>

#include "cli/host.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_registry_system.h"
#include "platform/win32/win32_window_system.h"

namespace parcelo {

namespace {

class Win32Host final : public HostSystem {
 public:
  System Tables() override { return {&files_, &registry_, &windows_}; }
  // The registry says no more than that it failed.
  std::string SettingsProblem() override { return {}; }

 private:
  Win32FileSystem files_;
  Win32RegistrySystem registry_;
  Win32WindowSystem windows_;
};

}  // namespace

std::unique_ptr<HostSystem> MakeHostSystem() { return std::make_unique<Win32Host>(); }

std::string ToDosPath(const std::string& hostPath) {
  char full[MAX_PATH];
  const DWORD length = GetFullPathNameA(hostPath.c_str(), MAX_PATH, full, nullptr);
  if (length == 0 || length >= MAX_PATH) return std::string();
  std::string dos(full, length);
  if (dos.size() > 3 && dos.back() == '\\') dos.pop_back();
  return dos;
}

std::string WhyNoDosPath(const std::string& hostPath) {
  return hostPath + " cannot be reached: its full path is longer than Windows takes.";
}

std::string OddFileKind(const std::string&) { return {}; }

bool ChooseOemCodePage(const std::string&, std::string*) { return true; }

std::string JoinTextToHost(const std::string& oem) {
  std::string text(oem.size(), '\0');
  if (!oem.empty()) OemToCharBuffA(oem.c_str(), &text[0], static_cast<DWORD>(oem.size()));
  return text;
}

std::vector<int> OtherOemCodePages() { return {}; }

std::string JoinTextToHost(const std::string& oem, int) { return JoinTextToHost(oem); }

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  const bool drive = folder.size() == 2 && folder[1] == ':';  // "C:name" is C:'s current folder
  return IsSeparator(folder.back()) || drive ? folder + name : folder + "\\" + name;
}

std::string ParentFolder(const std::string& path) {
  const std::size_t separator = path.find_last_of("\\/");
  if (separator == std::string::npos) {
    return path.size() > 2 && path[1] == ':' ? path.substr(0, 2) : std::string(".");
  }
  const std::size_t end = path.find_last_not_of("\\/", separator);
  if (end == std::string::npos) return path.substr(0, 1);   // "\name"
  if (end == 1 && path[1] == ':') return path.substr(0, 3);  // "C:\name"
  return path.substr(0, end + 1);
}

std::string NameInFolder(const std::string& path) {
  const std::size_t separator = path.find_last_of("\\/");
  if (separator != std::string::npos) return path.substr(separator + 1);
  return path.size() > 2 && path[1] == ':' ? path.substr(2) : path;  // "C:name"
}

PathKind KindOfPath(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return PathKind::None;
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PathKind::Folder : PathKind::File;
}

bool ReadFileAt(FileHandle file, std::uint64_t offset, void* data, std::size_t size) {
  HANDLE handle = reinterpret_cast<HANDLE>(file);
  LONG high = static_cast<LONG>(offset >> 32);
  SetLastError(NO_ERROR);
  if (SetFilePointer(handle, static_cast<LONG>(offset & 0xFFFFFFFFu), &high, FILE_BEGIN) ==
          INVALID_SET_FILE_POINTER &&
      GetLastError() != NO_ERROR) {
    return false;
  }
  auto* bytes = static_cast<char*>(data);
  while (size > 0) {
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(size > (1u << 30) ? (1u << 30) : size);
    if (!::ReadFile(handle, bytes, want, &got, nullptr) || got == 0) return false;
    bytes += got;
    size -= got;
  }
  return true;
}

std::string LastSystemError() {
  const DWORD error = GetLastError();
  if (error == 0) return {};
  char text[512];
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                nullptr, error, 0, text, sizeof text, nullptr);
  while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r' ||
                        text[length - 1] == ' ' || text[length - 1] == '.')) {
    --length;
  }
  return length == 0 ? "error " + std::to_string(error) : std::string(text, length);
}

void ClearSystemError() { SetLastError(0); }

bool StdinIsTerminal() { return _isatty(0) != 0; }

// The C library of Windows 98 has no call known to be there that gives stdin another
// handle, so questions are not moved to the console: with a pipe on standard input they
// take the answer they take without a terminal (or --yes).
FileHandle TakeStandardInput() {
  const HANDLE data = GetStdHandle(STD_INPUT_HANDLE);
  return data == nullptr || data == INVALID_HANDLE_VALUE ? kInvalidFile
                                                         : reinterpret_cast<FileHandle>(data);
}

namespace {

#ifndef ENABLE_VIRTUAL_TERMINAL_PROCESSING
#define ENABLE_VIRTUAL_TERMINAL_PROCESSING 0x0004
#endif

HANDLE changedConsole = nullptr;
DWORD originalMode = 0;

void RestoreConsoleMode() { SetConsoleMode(changedConsole, originalMode); }

// Escape sequences only where the console acts on them: one that cannot refuses the mode
// or does not keep it, and prints them as text. No console of the Windows 95 family can,
// so it is not asked.
bool TurnOnEscapes(HANDLE console, DWORD mode) {
  if ((mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0) return true;
  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof version;
  if (!GetVersionExA(&version) || version.dwPlatformId != VER_PLATFORM_WIN32_NT) return false;
  if (!SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING)) return false;
  DWORD now = 0;
  if (!GetConsoleMode(console, &now) || (now & ENABLE_VIRTUAL_TERMINAL_PROCESSING) == 0) {
    SetConsoleMode(console, mode);
    return false;
  }
  changedConsole = console;
  originalMode = mode;
  std::atexit(RestoreConsoleMode);
  return true;
}

}  // namespace

// _isatty also says yes for NUL and other character devices; only a console has a mode.
LineStyle StderrLineStyle(std::size_t* columns) {
  *columns = 0;
  HANDLE console = GetStdHandle(STD_ERROR_HANDLE);
  DWORD mode = 0;
  if (console == nullptr || console == INVALID_HANDLE_VALUE || !GetConsoleMode(console, &mode)) {
    return LineStyle::kNone;
  }
  CONSOLE_SCREEN_BUFFER_INFO screen = {};
  if (GetConsoleScreenBufferInfo(console, &screen) && screen.dwSize.X > 0) {
    *columns = static_cast<std::size_t>(screen.dwSize.X);
  }
  return TurnOnEscapes(console, mode) ? LineStyle::kEscapes : LineStyle::kBlanks;
}

void WriteWhole(std::FILE* stream, const std::string& text) {
  std::fflush(stream);
  const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
  std::string lines;  // the line ends of the C library's text mode
  for (char c : text) {
    if (c == '\n') lines += '\r';
    lines += c;
  }
  DWORD done = 0;
  if (handle == INVALID_HANDLE_VALUE ||
      !WriteFile(handle, lines.data(), static_cast<DWORD>(lines.size()), &done, nullptr)) {
    std::fwrite(text.data(), 1, text.size(), stream);  // a stream without a handle
    std::fflush(stream);
  }
}

}  // namespace parcelo
