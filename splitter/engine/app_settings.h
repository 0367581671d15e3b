// The eight option flags, each 0 or 1, held for the whole run of the program.
#pragma once

#include <cstdint>

namespace parcelo {

struct AppSettings {
  std::int32_t useDos83 = 0;
  std::int32_t useLongJoinBatName = 1;
  std::int32_t backupPrompt = 1;
  std::int32_t deletePrompt = 0;
  std::int32_t closeWhenDone = 1;
  std::int32_t noReminders = 0;
  std::int32_t moreMem = 0;
  std::int32_t alwaysOnTop = 0;
};

extern AppSettings appSettings;

// Back to the values a new registry key gets.
void ResetAppSettings();

}  // namespace parcelo
