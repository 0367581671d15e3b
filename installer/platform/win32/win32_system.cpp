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

  bool IsReadOnly(const std::string& path) override {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
  }

  std::uint32_t DeleteKeyTree(RegistryHive hive, const std::string& subKey) override {
    return static_cast<std::uint32_t>(DeleteTree(
        hive == RegistryHive::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE, subKey));
  }

 private:
  // Windows 95 deletes a key's subkeys with it, NT refuses a key that has any: the subkeys
  // go first, deepest first, on both.
  static LONG DeleteTree(HKEY parent, const std::string& subKey) {
    HKEY key = nullptr;
    LONG result = RegOpenKeyExA(parent, subKey.c_str(), 0, KEY_ALL_ACCESS, &key);
    if (result != ERROR_SUCCESS) return result;
    char name[256];
    for (;;) {
      DWORD length = sizeof name;
      result = RegEnumKeyExA(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr);
      if (result != ERROR_SUCCESS) break;
      result = DeleteTree(key, name);
      if (result != ERROR_SUCCESS) break;
    }
    RegCloseKey(key);
    if (result != ERROR_NO_MORE_ITEMS) return result;
    return RegDeleteKeyA(parent, subKey.c_str());
  }
};

}  // namespace

System& PlatformSystem() {
  static Win32System system;
  return system;
}

}  // namespace qinstall
