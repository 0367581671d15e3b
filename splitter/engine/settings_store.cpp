#include "frontend/settings_store.h"

#include "engine/split_messages.h"
#include "frontend/control_ids.h"
#include "frontend/frontend_messages.h"
#include "frontend/main_dialog_state.h"

namespace parcelo {

const SettingsFlag kSettingsFlags[8] = {
    {&AppSettings::useDos83, "Use DOS 8.3", kIdUseDos83Box},
    {&AppSettings::useLongJoinBatName, "UseLongJoinBatName", kIdLongJoinNameBox},
    {&AppSettings::backupPrompt, "BackupPrompt", kIdBackupPromptBox},
    {&AppSettings::deletePrompt, "DeletePrompt", kIdDeletePromptBox},
    {&AppSettings::closeWhenDone, "CloseWhenDone", kIdCloseWhenDoneBox},
    {&AppSettings::noReminders, "NoReminders", kIdNoRemindersBox},
    {&AppSettings::moreMem, "MoreMem", kIdMoreMemBox},
    {&AppSettings::alwaysOnTop, "AlwaysOnTop", kIdAlwaysOnTopBox},
};

namespace {

// False when any of them could not be stored.
bool WriteFlags(RegistryKey key) {
  bool stored = true;
  for (const SettingsFlag& flag : kSettingsFlags) {
    stored = Sys().SetDword(key, flag.valueName, appSettings.*flag.field ? 1 : 0) && stored;
  }
  return stored;
}

}  // namespace

int LoadSettings() {
  bool created = false;
  const RegistryKey key = Sys().CreateMachineKey(kSettingsKey, &created);
  ResetAppSettings();
  if (key == kNoKey) return 1;  // the defaults hold for this run
  if (created) {
    WriteFlags(key);
  } else {
    // A value that is missing or not a 4-byte number keeps the default of a new key.
    for (const SettingsFlag& flag : kSettingsFlags) {
      std::uint32_t value = 0;
      if (Sys().QueryDword(key, flag.valueName, &value)) appSettings.*flag.field = value != 0;
    }
  }
  Sys().CloseKey(key);
  return 1;
}

int SaveSettings() {
  const RegistryKey key = Sys().CreateMachineKey(kSettingsKey, nullptr);
  if (key == kNoKey) return 0;
  const bool stored = WriteFlags(key);
  Sys().CloseKey(key);
  return stored ? 1 : 0;
}

void OptionsDialogInit(WindowHandle dialog) {
  for (const SettingsFlag& flag : kSettingsFlags) {
    if (appSettings.*flag.field) Sys().SetItemChecked(dialog, flag.checkBoxId, true);
  }
}

void OptionsDialogOk(WindowHandle dialog) {
  for (const SettingsFlag& flag : kSettingsFlags) {
    appSettings.*flag.field = Sys().IsItemChecked(dialog, flag.checkBoxId) ? 1 : 0;
  }
  Sys().SetTopmost(mainDialogWindow, appSettings.alwaysOnTop != 0);
  if (appSettings.useDos83 && appSettings.useLongJoinBatName) {
    Sys().ShowMessageBox(dialog, kTextJoinNameConflict, kCaptionWarning, kMbIconWarning);
  }
  SaveSettings();
  Sys().EndModalDialog(dialog, 0);
}

void OptionsDialogCancel(WindowHandle dialog) { Sys().EndModalDialog(dialog, 0); }

}  // namespace parcelo
