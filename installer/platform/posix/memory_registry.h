// The POSIX System's registry: typed values under keys of two hives, kept in memory for
// the life of the process. Key names compare without regard to case, as Windows does.
#pragma once

#include <map>
#include <mutex>
#include <string>

#include "platform/system.h"

namespace qinstall {

class MemoryRegistry {
 public:
  // Creates the key (and the keys above it) or opens the one that exists.
  RegistryKey CreateKey(RegistryHive hive, const std::string& subKey);
  bool SetString(RegistryKey key, const std::string& name, const std::string& value);
  std::uint32_t QueryValue(RegistryKey key, const std::string& name, RegistryValue* value) const;
  bool SetValue(RegistryKey key, const std::string& name, const RegistryValue& value);
  bool DeleteValue(RegistryKey key, const std::string& name);
  void CloseKey(RegistryKey key);
  // Fails for a missing key and for one that has keys below it.
  bool DeleteKey(RegistryHive hive, const std::string& subKey);
  // The key with everything below it: 0, or kErrorFileNotFound when it is not there.
  std::uint32_t DeleteKeyTree(RegistryHive hive, const std::string& subKey);

  // Reading back, for tests and tools.
  bool KeyExists(RegistryHive hive, const std::string& subKey) const;
  // A REG_SZ's text without its terminator.
  bool QueryString(RegistryHive hive, const std::string& subKey, const std::string& name,
                   std::string* value) const;
  // Every value of a key, by upper-cased name; empty for a missing key.
  std::map<std::string, RegistryValue> ValuesOf(RegistryHive hive, const std::string& subKey) const;
  void Clear();

 private:
  using Values = std::map<std::string, RegistryValue>;
  Values* OpenValues(RegistryKey key);  // with the lock held; null for a key not open
  static std::string Path(RegistryHive hive, const std::string& subKey);

  mutable std::mutex mutex_;
  std::map<std::string, Values> keys_;        // by upper-cased full path
  std::map<RegistryKey, std::string> open_;
  RegistryKey nextKey_ = 1;
};

}  // namespace qinstall
