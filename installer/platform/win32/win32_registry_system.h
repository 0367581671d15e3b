// The Win32 System's registry.
#pragma once

#include "platform/system.h"

namespace qinstall {

class Win32RegistrySystem : public RegistrySystem {
 public:
  RegistryKey CreateKey(RegistryHive hive, const std::string& subKey,
                        std::uint32_t* error) override;
  bool SetString(RegistryKey key, const std::string& name, const std::string& value) override;
  std::uint32_t QueryValue(RegistryKey key, const std::string& name,
                           RegistryValue* value) override;
  bool SetValue(RegistryKey key, const std::string& name, const RegistryValue& value) override;
  bool DeleteValue(RegistryKey key, const std::string& name) override;
  void CloseKey(RegistryKey key) override;
  bool DeleteKey(RegistryHive hive, const std::string& subKey) override;
  bool KeyExists(RegistryHive hive, const std::string& subKey) override;
  std::uint32_t DeleteKeyTree(RegistryHive hive, const std::string& subKey) override;
};

}  // namespace qinstall
