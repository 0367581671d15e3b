// The splitter's registry table on POSIX.
#pragma once

#include <string>

#include "platform/posix/registry_file.h"
#include "platform/system.h"

namespace parcelo {

class PosixRegistrySystem final : public RegistrySystem {
 public:
  // The registry lives in a file (see RegistryFile); without one, in memory.
  void SetRegistryFile(const std::string& path) { registry_.SetPath(path); }
  RegistryKey CreateMachineKey(const std::string& subKey, bool* created) override {
    return registry_.CreateKey(subKey, created);
  }
  bool QueryDword(RegistryKey key, const std::string& name, std::uint32_t* value) override {
    return registry_.QueryDword(key, name, value);
  }
  bool SetDword(RegistryKey key, const std::string& name, std::uint32_t value) override {
    return registry_.SetDword(key, name, value);
  }
  void CloseKey(RegistryKey key) override { registry_.CloseKey(key); }
  // Why the registry file could not be read or written; empty when it could.
  std::string RegistryProblem() const { return registry_.Problem(); }

 private:
  RegistryFile registry_;
};

}  // namespace parcelo
