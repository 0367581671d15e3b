// The Win32 System: the calls the installer names, passed straight through.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstdlib>

#include "platform/win32/win32_window_system.h"

namespace qinstall {
namespace {

HANDLE ToHandle(FileHandle file) { return reinterpret_cast<HANDLE>(file); }

HKEY ToHive(RegistryHive hive) {
  return hive == RegistryHive::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

bool Fails(std::uint32_t* error) {
  if (error != nullptr) *error = GetLastError();
  return false;
}

// The shell link object, from CoInitialize to CoUninitialize on the calling thread.
bool SaveLink(const ShellLink& link) {
  const HRESULT initialised = CoInitialize(nullptr);
  bool saved = false;
  IShellLinkA* shellLink = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                 reinterpret_cast<void**>(&shellLink)))) {
    shellLink->SetPath(link.target.c_str());
    shellLink->SetDescription(link.description.c_str());
    if (!link.arguments.empty()) shellLink->SetArguments(link.arguments.c_str());
    if (!link.iconPath.empty()) shellLink->SetIconLocation(link.iconPath.c_str(), link.iconIndex);
    if (!link.workingFolder.empty()) shellLink->SetWorkingDirectory(link.workingFolder.c_str());
    IPersistFile* persistFile = nullptr;
    if (SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile,
                                            reinterpret_cast<void**>(&persistFile)))) {
      WCHAR wide[MAX_PATH];
      if (MultiByteToWideChar(CP_ACP, 0, link.linkFile.c_str(), -1, wide, MAX_PATH) != 0) {
        saved = persistFile->Save(wide, TRUE) == S_OK;
      }
      persistFile->Release();
    }
    shellLink->Release();
  }
  if (SUCCEEDED(initialised)) CoUninitialize();
  return saved;
}

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

  FileHandle CreateForWriting(const std::string& path, std::uint32_t* error) override {
    const HANDLE handle = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      if (error != nullptr) *error = GetLastError();
      return kInvalidFile;
    }
    return reinterpret_cast<FileHandle>(handle);
  }

  IoResult WriteFile(FileHandle file, const void* data, std::uint32_t count) override {
    IoResult result;
    DWORD put = 0;
    result.ok = ::WriteFile(ToHandle(file), data, count, &put, nullptr) != FALSE && put == count;
    result.bytes = put;
    if (!result.ok) result.error = GetLastError();
    return result;
  }

  bool PathExists(const std::string& path) override {
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    return true;
  }

  bool IsFolder(const std::string& path) override {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  }

  bool CreateFolder(const std::string& path, std::uint32_t* error) override {
    return CreateDirectoryA(path.c_str(), nullptr) != FALSE || Fails(error);
  }

  bool RemoveFolder(const std::string& path) override {
    return RemoveDirectoryA(path.c_str()) != FALSE;
  }

  bool CopyFileOver(const std::string& from, const std::string& to,
                    std::uint32_t* error) override {
    return CopyFileA(from.c_str(), to.c_str(), FALSE) != FALSE || Fails(error);
  }

  bool RemoveFile(const std::string& path, std::uint32_t* error) override {
    return DeleteFileA(path.c_str()) != FALSE || Fails(error);
  }

  bool RenameFile(const std::string& from, const std::string& to,
                  std::uint32_t* error) override {
    return MoveFileA(from.c_str(), to.c_str()) != FALSE || Fails(error);
  }

  void* AllocateMemory(std::size_t bytes) override { return std::malloc(bytes); }

  RegistryKey CreateKey(RegistryHive hive, const std::string& subKey,
                        std::uint32_t* error) override {
    HKEY key = nullptr;
    DWORD disposition = 0;
    const LONG result = RegCreateKeyExA(ToHive(hive), subKey.c_str(), 0, nullptr,
                                        REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                                        &disposition);
    if (result != ERROR_SUCCESS) {
      if (error != nullptr) *error = static_cast<std::uint32_t>(result);
      return kNoKey;
    }
    return reinterpret_cast<RegistryKey>(key);
  }

  bool SetString(RegistryKey key, const std::string& name, const std::string& value) override {
    return RegSetValueExA(reinterpret_cast<HKEY>(key), name.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
  }

  std::uint32_t QueryValue(RegistryKey key, const std::string& name,
                           RegistryValue* value) override {
    // Asked for its size first; a value that grows meanwhile is asked for again.
    for (int attempt = 0; attempt < 4; ++attempt) {
      DWORD type = 0;
      DWORD size = 0;
      LONG result =
          RegQueryValueExA(reinterpret_cast<HKEY>(key), name.c_str(), nullptr, &type, nullptr, &size);
      if (result != ERROR_SUCCESS) return static_cast<std::uint32_t>(result);
      std::string data(size + 1, '\0');
      result = RegQueryValueExA(reinterpret_cast<HKEY>(key), name.c_str(), nullptr, &type,
                                reinterpret_cast<BYTE*>(&data[0]), &size);
      if (result == ERROR_MORE_DATA) continue;
      if (result != ERROR_SUCCESS) return static_cast<std::uint32_t>(result);
      data.resize(size);
      value->type = type;
      value->data = data;
      return 0;
    }
    return ERROR_MORE_DATA;
  }

  bool SetValue(RegistryKey key, const std::string& name, const RegistryValue& value) override {
    return RegSetValueExA(reinterpret_cast<HKEY>(key), name.c_str(), 0, value.type,
                          reinterpret_cast<const BYTE*>(value.data.data()),
                          static_cast<DWORD>(value.data.size())) == ERROR_SUCCESS;
  }

  bool DeleteValue(RegistryKey key, const std::string& name) override {
    return RegDeleteValueA(reinterpret_cast<HKEY>(key), name.c_str()) == ERROR_SUCCESS;
  }

  void CloseKey(RegistryKey key) override { RegCloseKey(reinterpret_cast<HKEY>(key)); }

  bool DeleteKey(RegistryHive hive, const std::string& subKey) override {
    return RegDeleteKeyA(ToHive(hive), subKey.c_str()) == ERROR_SUCCESS;
  }

  bool KeyExists(RegistryHive hive, const std::string& subKey) override {
    HKEY key = nullptr;
    if (RegOpenKeyExA(ToHive(hive), subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
      return false;
    }
    RegCloseKey(key);
    return true;
  }

  bool SaveShellLink(const ShellLink& link) override { return SaveLink(link); }

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
