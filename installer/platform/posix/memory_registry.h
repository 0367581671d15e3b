// The POSIX System's registry: string values under keys of two hives, kept in memory for
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
  void CloseKey(RegistryKey key);
  // Fails for a missing key and for one that has keys below it.
  bool DeleteKey(RegistryHive hive, const std::string& subKey);

  // Reading back, for tests and tools.
  bool KeyExists(RegistryHive hive, const std::string& subKey) const;
  bool QueryString(RegistryHive hive, const std::string& subKey, const std::string& name,
                   std::string* value) const;
  void Clear();

 private:
  using Values = std::map<std::string, std::string>;
  static std::string Path(RegistryHive hive, const std::string& subKey);

  mutable std::mutex mutex_;
  std::map<std::string, Values> keys_;        // by upper-cased full path
  std::map<RegistryKey, std::string> open_;
  RegistryKey nextKey_ = 1;
};

}  // namespace qinstall
