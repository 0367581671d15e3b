// The registry table of the shipped program.
#pragma once

#include "platform/system.h"

namespace parcelo {

class Win32RegistrySystem final : public RegistrySystem {
 public:
  RegistryKey CreateMachineKey(const std::string& subKey, bool* created) override;
  bool QueryDword(RegistryKey key, const std::string& name, std::uint32_t* value) override;
  bool SetDword(RegistryKey key, const std::string& name, std::uint32_t value) override;
  void CloseKey(RegistryKey key) override;
};

}  // namespace parcelo
