// The product's entry in the system's list of removable programs, and its removal.
#include "package/install_package.h"
#include "phases/install_paths.h"
#include "phases/install_phases.h"
#include "phases/install_run.h"

namespace qinstall {
namespace {

std::string UninstallKey() { return std::string(kUninstallKeyPrefix) + Package().productName; }

// Reads what an earlier installation left under kept->name; false when it cannot be read.
bool ReadEarlier(RegistryKey key, KeptValue* kept) {
  const std::uint32_t error = Registry().QueryValue(key, kept->name, &kept->value);
  kept->existed = error == 0;
  return error == 0 || error == kErrorFileNotFound;
}

// Sets one value; in a key that was there before, notes what it replaced for the rollback.
bool SetNoted(RegistryKey key, const KeptValue& earlier, const std::string& text, bool existed) {
  if (!Registry().SetString(key, earlier.name, text)) return false;
  if (existed) Run().uninstallValues.push_back(earlier);
  return true;
}

}  // namespace

int WriteUninstallRegistry() {
  const InstallPackage& package = Package();
  // The command must fit the 260 bytes the uninstaller's entry is made for; a cut command
  // would name a record that does not exist.
  std::string command;
  if (!BuildPath(&command, {Files().WindowsFolder(), "\\", kUninstallerName, " ",
                            package.destinationFolder, "\\", kRecordName})) {
    return 0;
  }
  const std::string key = UninstallKey();
  const bool existed = Registry().KeyExists(RegistryHive::LocalMachine, key);
  std::uint32_t error = 0;
  const RegistryKey handle = Registry().CreateKey(RegistryHive::LocalMachine, key, &error);
  if (handle == kNoKey) return 0;
  Run().uninstallKeyCreated = !existed;
  // The values of a key that was there come back on rollback; one that cannot be read is
  // not written over, as it could not be put back.
  KeptValue displayName;
  displayName.name = "DisplayName";
  KeptValue uninstallString;
  uninstallString.name = "UninstallString";
  const bool set =
      (!existed || (ReadEarlier(handle, &displayName) && ReadEarlier(handle, &uninstallString))) &&
      SetNoted(handle, displayName, package.productName, existed) &&
      SetNoted(handle, uninstallString, command, existed);
  Registry().CloseKey(handle);
  return set ? 1 : 0;
}

int RemoveUninstallRegistry() {
  InstallRun& run = Run();
  if (run.uninstallKeyCreated) {
    Registry().DeleteKey(RegistryHive::LocalMachine, UninstallKey());
    return 1;
  }
  // A key that was there before the run belongs to an earlier installation: it gets back
  // what it held, and loses only the values this run added.
  if (run.uninstallValues.empty()) return 1;
  std::uint32_t error = 0;
  const RegistryKey handle = Registry().CreateKey(RegistryHive::LocalMachine, UninstallKey(), &error);
  if (handle == kNoKey) return 1;
  for (std::size_t i = run.uninstallValues.size(); i-- > 0;) {
    const KeptValue& kept = run.uninstallValues[i];
    if (kept.existed) {
      Registry().SetValue(handle, kept.name, kept.value);
    } else {
      Registry().DeleteValue(handle, kept.name);
    }
  }
  Registry().CloseKey(handle);
  run.uninstallValues.clear();
  return 1;
}

}  // namespace qinstall
