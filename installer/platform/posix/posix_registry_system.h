// The installer's registry on POSIX: kept in memory for the life of the process.
#pragma once

#include "platform/posix/memory_registry.h"
#include "platform/system.h"

namespace qinstall {

class PosixRegistrySystem : public RegistrySystem {
 public:
  MemoryRegistry& Memory() { return registry_; }

  RegistryKey CreateKey(RegistryHive hive, const std::string& subKey,
                        std::uint32_t* error) override;
  bool SetString(RegistryKey key, const std::string& name, const std::string& value) override {
    return registry_.SetString(key, name, value);
  }
  std::uint32_t QueryValue(RegistryKey key, const std::string& name,
                           RegistryValue* value) override {
    return registry_.QueryValue(key, name, value);
  }
  bool SetValue(RegistryKey key, const std::string& name, const RegistryValue& value) override {
    return registry_.SetValue(key, name, value);
  }
  bool DeleteValue(RegistryKey key, const std::string& name) override {
    return registry_.DeleteValue(key, name);
  }
  void CloseKey(RegistryKey key) override { registry_.CloseKey(key); }
  bool DeleteKey(RegistryHive hive, const std::string& subKey) override {
    return registry_.DeleteKey(hive, subKey);
  }
  bool KeyExists(RegistryHive hive, const std::string& subKey) override {
    return registry_.KeyExists(hive, subKey);
  }
  std::uint32_t DeleteKeyTree(RegistryHive hive, const std::string& subKey) override {
    return registry_.DeleteKeyTree(hive, subKey);
  }

 private:
  MemoryRegistry registry_;
};

// The one POSIX registry, which PlatformSystem() also gives.
PosixRegistrySystem& HostRegistry();

}  // namespace qinstall
