// The product's entry in the system's list of removable programs, and its removal.
#include "package/install_package.h"
#include "phases/install_paths.h"
#include "phases/install_phases.h"
#include "phases/install_run.h"

namespace qinstall {
namespace {

std::string UninstallKey() { return std::string(kUninstallKeyPrefix) + Package().productName; }

}  // namespace

int WriteUninstallRegistry() {
  const InstallPackage& package = Package();
  // The command must fit the 260 bytes the uninstaller's entry is made for; a cut command
  // would name a record that does not exist.
  std::string command;
  if (!BuildPath(&command, {Sys().WindowsFolder(), "\\", kUninstallerName, " ",
                            package.destinationFolder, "\\", kRecordName})) {
    return 0;
  }
  const std::string key = UninstallKey();
  const bool existed = Sys().KeyExists(RegistryHive::LocalMachine, key);
  std::uint32_t error = 0;
  const RegistryKey handle = Sys().CreateKey(RegistryHive::LocalMachine, key, &error);
  if (handle == kNoKey) return 0;
  Run().uninstallKeyCreated = !existed;
  if (!Sys().SetString(handle, "DisplayName", package.productName)) {
    Sys().CloseKey(handle);
    return 0;
  }
  const bool set = Sys().SetString(handle, "UninstallString", command);
  Sys().CloseKey(handle);
  return set ? 1 : 0;
}

int RemoveUninstallRegistry() {
  // A key that was there before the run belongs to an earlier installation.
  if (Run().uninstallKeyCreated) Sys().DeleteKey(RegistryHive::LocalMachine, UninstallKey());
  return 1;
}

}  // namespace qinstall
