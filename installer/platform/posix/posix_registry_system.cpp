#include "platform/posix/posix_registry_system.h"

namespace qinstall {

RegistryKey PosixRegistrySystem::CreateKey(RegistryHive hive, const std::string& subKey,
                                           std::uint32_t* error) {
  const RegistryKey key = registry_.CreateKey(hive, subKey);
  if (key == kNoKey && error != nullptr) *error = kErrorAccessDenied;
  return key;
}

PosixRegistrySystem& HostRegistry() {
  static PosixRegistrySystem registry;
  return registry;
}

}  // namespace qinstall
