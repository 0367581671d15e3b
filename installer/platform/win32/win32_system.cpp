// The Win32 System: the calls the installer names, passed straight through.
#include <windows.h>

#include <cstdlib>

#include "platform/win32/win32_window_system.h"

namespace qinstall {
namespace {

HANDLE ToHandle(FileHandle file) { return reinterpret_cast<HANDLE>(file); }

class Win32System : public Win32WindowSystem {
 public:
  FileHandle OpenExistingForReading(const std::string& path, std::uint32_t* error) override {
    const HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      if (error != nullptr) *error = GetLastError();
      return kInvalidFile;
    }
    return reinterpret_cast<FileHandle>(handle);
  }

  IoResult ReadFile(FileHandle file, void* buffer, std::uint32_t count) override {
    IoResult result;
    DWORD got = 0;
    result.ok = ::ReadFile(ToHandle(file), buffer, count, &got, nullptr) != FALSE;
    result.bytes = got;
    if (!result.ok) result.error = GetLastError();
    return result;
  }

  void CloseFile(FileHandle file) override { CloseHandle(ToHandle(file)); }

  void* AllocateMemory(std::size_t bytes) override { return std::malloc(bytes); }

  int ShowMessageBox(WindowHandle owner, const std::string& text, const std::string& caption,
                     unsigned style) override {
    return MessageBoxA(static_cast<HWND>(owner), text.c_str(), caption.c_str(), style);
  }
};

}  // namespace

System& PlatformSystem() {
  static Win32System system;
  return system;
}

}  // namespace qinstall
