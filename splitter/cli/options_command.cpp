// parcelo95 options: the stored flags, listed or changed.
#include <cctype>
#include <cstdio>
#include <memory>

#include "cli/commands.h"
#include "cli/console_system.h"
#include "cli/host.h"
#include "cli/join_script.h"
#include "engine/app_settings.h"
#include "engine/settings_store.h"
#include "engine/split_messages.h"
#include "platform/system.h"

namespace parcelo {

std::string SettingsFailure(HostSystem& host, const std::string& what, const std::string& then) {
  const std::string problem = SettingsProblem(host);
  return what + (problem.empty() ? std::string() : " (" + problem + ")") + then + ".";
}

bool ParseFlagOverride(const std::string& text, std::pair<int, int>* overrideValue) {
  const std::size_t equals = text.rfind('=');
  if (equals == std::string::npos) return false;
  const std::string name = text.substr(0, equals);
  const std::string value = text.substr(equals + 1);
  if (value != "0" && value != "1") return false;
  for (int i = 0; i < 8; ++i) {
    if (EqualIgnoringAsciiCase(name, kSettingsFlags[i].valueName)) {
      *overrideValue = {i, value == "1" ? 1 : 0};
      return true;
    }
  }
  return false;
}

int RunOptions(const FlagOverrides& overrides) {
  std::unique_ptr<HostSystem> host = MakeHostSystem();
  System tables = host->Tables();
  ConsoleSystem console(*tables.windows, false);
  tables.windows = &console;
  InstallSystem(tables);
  LoadSettings();
  if (!overrides.empty()) {
    for (const auto& [flag, value] : overrides) appSettings.*kSettingsFlags[flag].field = value;
    if (appSettings.useDos83 && appSettings.useLongJoinBatName) {
      Windows().ShowMessageBox(nullptr, kTextJoinNameConflict, kCaptionWarning, kMbIconWarning);
    }
    if (!SaveSettings()) {
      std::fprintf(stderr, "%s\n", SettingsFailure(*host, "The options were not saved").c_str());
      return 1;
    }
  } else if (!SettingsProblem(*host).empty()) {
    std::fprintf(stderr, "%s\n", SettingsFailure(*host, "The options could not be read or stored", "; the defaults are shown").c_str());
  }
  for (const SettingsFlag& flag : kSettingsFlags) {
    std::printf("%s=%d\n", flag.valueName, appSettings.*flag.field ? 1 : 0);
  }
  return 0;
}

}  // namespace parcelo
