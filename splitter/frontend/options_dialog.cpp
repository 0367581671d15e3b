#include "frontend/options_dialog.h"

#include "engine/app_settings.h"
#include "engine/settings_store.h"
#include "engine/split_messages.h"
#include "frontend/main_dialog_state.h"
#include "resources/control_ids.h"

namespace parcelo {
namespace {

// The check box of each flag, in the order of kSettingsFlags.
constexpr int kFlagBoxes[8] = {kIdUseDos83Box,      kIdLongJoinNameBox, kIdBackupPromptBox,
                               kIdDeletePromptBox,  kIdCloseWhenDoneBox, kIdNoRemindersBox,
                               kIdMoreMemBox,       kIdAlwaysOnTopBox};

}  // namespace

void OptionsDialogInit(WindowHandle dialog) {
  for (int i = 0; i < 8; ++i) {
    if (appSettings.*kSettingsFlags[i].field) Windows().SetItemChecked(dialog, kFlagBoxes[i], true);
  }
}

void OptionsDialogOk(WindowHandle dialog) {
  for (int i = 0; i < 8; ++i) {
    appSettings.*kSettingsFlags[i].field = Windows().IsItemChecked(dialog, kFlagBoxes[i]) ? 1 : 0;
  }
  Windows().SetTopmost(mainDialogWindow, appSettings.alwaysOnTop != 0);
  if (appSettings.useDos83 && appSettings.useLongJoinBatName) {
    Windows().ShowMessageBox(dialog, kTextJoinNameConflict, kCaptionWarning, kMbIconWarning);
  }
  SaveSettings();
  Windows().EndModalDialog(dialog, 0);
}

void OptionsDialogCancel(WindowHandle dialog) { Windows().EndModalDialog(dialog, 0); }

}  // namespace parcelo
