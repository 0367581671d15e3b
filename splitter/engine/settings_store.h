// The eight option flags in the registry, and the Options dialog that changes them.
#pragma once

#include <cstdint>

#include "frontend/app_settings.h"
#include "platform/system.h"

namespace parcelo {

constexpr char kSettingsKey[] = "SOFTWARE\\Tavrin Parcelo 95";

// One flag: its field, its registry value and its Options check box, in table order.
struct SettingsFlag {
  std::int32_t AppSettings::*field;
  const char* valueName;
  int checkBoxId;
};
extern const SettingsFlag kSettingsFlags[8];

// Fills appSettings from the key, or writes the defaults into a new key. Always 1.
int LoadSettings();
// Writes all eight flags; 0 when the store could not take them. The flags hold for this
// run either way.
int SaveSettings();

// Options dialog handlers.
void OptionsDialogInit(WindowHandle dialog);
void OptionsDialogOk(WindowHandle dialog);
void OptionsDialogCancel(WindowHandle dialog);

}  // namespace parcelo
