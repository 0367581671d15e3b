// The eight option flags in the registry.
#pragma once

#include <cstdint>

#include "engine/app_settings.h"
#include "platform/system.h"

namespace parcelo {

constexpr char kSettingsKey[] = "SOFTWARE\\Tavrin Parcelo 95";

// One flag: its field and its registry value, in table order.
struct SettingsFlag {
  std::int32_t AppSettings::*field;
  const char* valueName;
};
extern const SettingsFlag kSettingsFlags[8];

// Fills appSettings from the key, or writes the defaults into a new key. Always 1.
int LoadSettings();
// Writes all eight flags; 0 when the store could not take them. The flags hold for this
// run either way.
int SaveSettings();

}  // namespace parcelo
