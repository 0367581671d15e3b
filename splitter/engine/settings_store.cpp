#include "engine/settings_store.h"

namespace parcelo {

const SettingsFlag kSettingsFlags[8] = {
    {&AppSettings::useDos83, "Use DOS 8.3"},
    {&AppSettings::useLongJoinBatName, "UseLongJoinBatName"},
    {&AppSettings::backupPrompt, "BackupPrompt"},
    {&AppSettings::deletePrompt, "DeletePrompt"},
    {&AppSettings::closeWhenDone, "CloseWhenDone"},
    {&AppSettings::noReminders, "NoReminders"},
    {&AppSettings::moreMem, "MoreMem"},
    {&AppSettings::alwaysOnTop, "AlwaysOnTop"},
};

namespace {

// False when any of them could not be stored.
bool WriteFlags(RegistryKey key) {
  bool stored = true;
  for (const SettingsFlag& flag : kSettingsFlags) {
    stored = Registry().SetDword(key, flag.valueName, appSettings.*flag.field ? 1 : 0) && stored;
  }
  return stored;
}

}  // namespace

int LoadSettings() {
  bool created = false;
  const RegistryKey key = Registry().CreateMachineKey(kSettingsKey, &created);
  ResetAppSettings();
  if (key == kNoKey) return 1;  // the defaults hold for this run
  if (created) {
    WriteFlags(key);
  } else {
    // A value that is missing or not a 4-byte number keeps the default of a new key.
    for (const SettingsFlag& flag : kSettingsFlags) {
      std::uint32_t value = 0;
      if (Registry().QueryDword(key, flag.valueName, &value)) appSettings.*flag.field = value != 0;
    }
  }
  Registry().CloseKey(key);
  return 1;
}

int SaveSettings() {
  const RegistryKey key = Registry().CreateMachineKey(kSettingsKey, nullptr);
  if (key == kNoKey) return 0;
  const bool stored = WriteFlags(key);
  Registry().CloseKey(key);
  return stored ? 1 : 0;
}

}  // namespace parcelo
