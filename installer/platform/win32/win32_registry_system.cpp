// The Win32 System's registry: the ADVAPI32 calls, passed straight through.
#include "platform/win32/win32_registry_system.h"

#include <windows.h>

namespace qinstall {
namespace {

HKEY ToHive(RegistryHive hive) {
  return hive == RegistryHive::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

LONG DeleteTree(HKEY parent, const std::string& subKey) {
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

}  // namespace

RegistryKey Win32RegistrySystem::CreateKey(RegistryHive hive, const std::string& subKey,
                                           std::uint32_t* error) {
  HKEY key = nullptr;
  DWORD disposition = 0;
  const LONG result =
      RegCreateKeyExA(ToHive(hive), subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_ALL_ACCESS, nullptr, &key, &disposition);
  if (result != ERROR_SUCCESS) {
    if (error != nullptr) *error = static_cast<std::uint32_t>(result);
    return kNoKey;
  }
  return reinterpret_cast<RegistryKey>(key);
}

bool Win32RegistrySystem::SetString(RegistryKey key, const std::string& name,
                                    const std::string& value) {
  return RegSetValueExA(reinterpret_cast<HKEY>(key), name.c_str(), 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

std::uint32_t Win32RegistrySystem::QueryValue(RegistryKey key, const std::string& name,
                                              RegistryValue* value) {
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

bool Win32RegistrySystem::SetValue(RegistryKey key, const std::string& name,
                                   const RegistryValue& value) {
  return RegSetValueExA(reinterpret_cast<HKEY>(key), name.c_str(), 0, value.type,
                        reinterpret_cast<const BYTE*>(value.data.data()),
                        static_cast<DWORD>(value.data.size())) == ERROR_SUCCESS;
}

bool Win32RegistrySystem::DeleteValue(RegistryKey key, const std::string& name) {
  return RegDeleteValueA(reinterpret_cast<HKEY>(key), name.c_str()) == ERROR_SUCCESS;
}

void Win32RegistrySystem::CloseKey(RegistryKey key) { RegCloseKey(reinterpret_cast<HKEY>(key)); }

bool Win32RegistrySystem::DeleteKey(RegistryHive hive, const std::string& subKey) {
  return RegDeleteKeyA(ToHive(hive), subKey.c_str()) == ERROR_SUCCESS;
}

bool Win32RegistrySystem::KeyExists(RegistryHive hive, const std::string& subKey) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(ToHive(hive), subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return false;
  }
  RegCloseKey(key);
  return true;
}

std::uint32_t Win32RegistrySystem::DeleteKeyTree(RegistryHive hive, const std::string& subKey) {
  return static_cast<std::uint32_t>(DeleteTree(
      hive == RegistryHive::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE, subKey));
}

}  // namespace qinstall
