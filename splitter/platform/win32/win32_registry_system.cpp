#include "platform/win32/win32_registry_system.h"

#include <windows.h>

namespace parcelo {

RegistryKey Win32RegistrySystem::CreateMachineKey(const std::string& subKey, bool* created) {
  HKEY key = nullptr;
  DWORD disposition = 0;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_ALL_ACCESS, nullptr, &key, &disposition) != ERROR_SUCCESS) {
    return kNoKey;
  }
  if (created != nullptr) *created = disposition == REG_CREATED_NEW_KEY;
  return reinterpret_cast<RegistryKey>(key);
}

bool Win32RegistrySystem::QueryDword(RegistryKey key, const std::string& name, std::uint32_t* value) {
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

bool Win32RegistrySystem::SetDword(RegistryKey key, const std::string& name, std::uint32_t value) {
  const DWORD data = value;
  return RegSetValueExA(reinterpret_cast<HKEY>(key), name.c_str(), 0, REG_DWORD,
                        reinterpret_cast<const BYTE*>(&data), sizeof data) == ERROR_SUCCESS;
}

void Win32RegistrySystem::CloseKey(RegistryKey key) { RegCloseKey(reinterpret_cast<HKEY>(key)); }

}  // namespace parcelo
