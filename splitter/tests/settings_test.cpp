// The flags in the registry, the Options dialog, and the file the POSIX registry keeps.
#include <gtest/gtest.h>

#include <filesystem>

#include "dialog_fixture.h"
#include "engine/app_settings.h"
#include "engine/settings_store.h"
#include "engine/split_messages.h"
#include "frontend/frontend_messages.h"
#include "frontend/options_dialog.h"
#include "platform/posix/registry_file.h"
#include "resources/control_ids.h"

namespace parcelo {
namespace {

using Settings = DialogFixture;

std::vector<std::uint32_t> StoredFlags(bool* created) {
  const RegistryKey key = Registry().CreateMachineKey(kSettingsKey, created);
  std::vector<std::uint32_t> values;
  for (const SettingsFlag& flag : kSettingsFlags) {
    std::uint32_t value = 99;
    Registry().QueryDword(key, flag.valueName, &value);
    values.push_back(value);
  }
  Registry().CloseKey(key);
  return values;
}

TEST_F(Settings, FirstStartWritesTheDefaultsAndOptionsShowsThem) {
  appSettings.useDos83 = 1;  // whatever was held before is replaced
  LoadSettings();
  bool created = true;
  EXPECT_EQ(StoredFlags(&created), (std::vector<std::uint32_t>{0, 1, 1, 0, 1, 0, 0, 0}));
  EXPECT_FALSE(created);
  EXPECT_EQ(appSettings.useDos83, 0);

  OpenMain();
  std::vector<int> checked;
  optionsScript = [&](WindowHandle dialog) {
    for (int id : {108, 111, 129, 119, 122, 123, 124, 125}) {
      if (sys_->ItemOf(dialog, id).checked) checked.push_back(id);
    }
  };
  Press(kIdOptionsButton);
  EXPECT_EQ(checked, (std::vector<int>{111, 129, 122}));
}

TEST_F(Settings, AnyNonzeroValueIsOneAndMissingValuesKeepTheirDefault) {
  RegistryKey key = Registry().CreateMachineKey(kSettingsKey, nullptr);
  Registry().SetDword(key, "DeletePrompt", 5);
  Registry().SetDword(key, "BackupPrompt", 0);
  Registry().CloseKey(key);
  LoadSettings();
  EXPECT_EQ(appSettings.deletePrompt, 1);
  EXPECT_EQ(appSettings.backupPrompt, 0);
  EXPECT_EQ(appSettings.closeWhenDone, 1) << "missing: the default of a new key";

  OpenMain();
  optionsScript = [](WindowHandle dialog) { OptionsDialogOk(dialog); };
  Press(kIdOptionsButton);
  EXPECT_EQ(StoredFlags(nullptr), (std::vector<std::uint32_t>{0, 1, 0, 1, 1, 0, 0, 0}));
}

TEST_F(Settings, OkAppliesTopmostThenWarnsThenWrites) {
  LoadSettings();
  OpenMain();
  sys_->dialogCalls.clear();
  std::vector<std::uint32_t> storedWhenWarned;
  sys_->onBox = [&](const Box&) {
    storedWhenWarned = StoredFlags(nullptr);
    sys_->dialogCalls.push_back("box");
    return kIdOk;
  };
  optionsScript = [&](WindowHandle dialog) {
    for (int id : {108, 111, 125}) sys_->ItemOf(dialog, id).checked = true;
    sys_->ItemOf(dialog, 129).checked = false;
    OptionsDialogOk(dialog);
  };
  Press(kIdOptionsButton);
  EXPECT_EQ(sys_->dialogCalls,
            (std::vector<std::string>{"modal 4", "topmost 1 1", "box", "end 4 0"}));
  ASSERT_EQ(sys_->boxes.size(), 1u);
  EXPECT_EQ(sys_->boxes[0].text, kTextJoinNameConflict);
  EXPECT_EQ(sys_->boxes[0].caption, "Warning");
  EXPECT_EQ(sys_->boxes[0].style, kMbIconWarning);
  EXPECT_EQ(storedWhenWarned, (std::vector<std::uint32_t>{0, 1, 1, 0, 1, 0, 0, 0}));
  EXPECT_EQ(StoredFlags(nullptr), (std::vector<std::uint32_t>{1, 1, 0, 0, 1, 0, 0, 1}));
  EXPECT_EQ(appSettings.useDos83, 1);
  EXPECT_EQ(appSettings.useLongJoinBatName, 1);
}

TEST_F(Settings, CancelChangesNothing) {
  LoadSettings();
  OpenMain();
  sys_->dialogCalls.clear();
  optionsScript = [&](WindowHandle dialog) {
    sys_->ItemOf(dialog, 125).checked = true;
    sys_->CloseWindow(dialog);
  };
  Press(kIdOptionsButton);
  EXPECT_EQ(sys_->dialogCalls, (std::vector<std::string>{"modal 4", "end 4 0"}));
  EXPECT_EQ(appSettings.alwaysOnTop, 0);
  EXPECT_EQ(StoredFlags(nullptr), (std::vector<std::uint32_t>{0, 1, 1, 0, 1, 0, 0, 0}));
}

TEST_F(Settings, AlwaysOnTopAtStartAndOnTheProgressDialogOnly) {
  RegistryKey key = Registry().CreateMachineKey(kSettingsKey, nullptr);
  Registry().SetDword(key, "AlwaysOnTop", 1);
  Registry().CloseKey(key);
  OpenMain();
  EXPECT_EQ(sys_->dialogCalls, (std::vector<std::string>{"topmost 1 1"}));
}

TEST(RegistryFileTest, KeepsKeysAcrossRunsAndSkipsDamagedLines) {
  const std::string path =
      (std::filesystem::temp_directory_path() / ("parcelo-reg-" + std::to_string(getpid()))).string();
  std::filesystem::remove(path);
  {
    RegistryFile registry;
    registry.SetPath(path);
    bool created = false;
    const RegistryKey key = registry.CreateKey(kSettingsKey, &created);
    EXPECT_TRUE(created);
    registry.SetDword(key, "Use DOS 8.3", 1);
    registry.SetDword(key, "MoreMem", 0xDEADBEEF);
    registry.CloseKey(key);
    std::uint32_t value = 0;
    EXPECT_FALSE(registry.QueryDword(key, "MoreMem", &value)) << "a closed key reads nothing";
  }
  {
    RegistryFile registry;
    registry.SetPath(path);
    bool created = true;
    const RegistryKey key = registry.CreateKey(kSettingsKey, &created);
    EXPECT_FALSE(created);
    std::uint32_t value = 0;
    EXPECT_TRUE(registry.QueryDword(key, "MoreMem", &value));
    EXPECT_EQ(value, 0xDEADBEEFu);
    EXPECT_FALSE(registry.QueryDword(key, "NoReminders", &value));
  }
  const auto keys = ParseRegistryText(
      "REGEDIT4\n[HKEY_LOCAL_MACHINE\\K]\r\n\"A\"=dword:00000001\r\n\"B\"=dword:xyz\n"
      "\"C\"=dword:123456789\n\"D\"=\"text\"\ngarbage\n\"=dword:1\n");
  ASSERT_EQ(keys.count("K"), 1u);
  EXPECT_EQ(keys.at("K"), (std::map<std::string, std::uint32_t>{{"A", 1}}));
  EXPECT_EQ(ParseRegistryText(FormatRegistryText(keys)), keys);
  std::filesystem::remove(path);
}

}  // namespace
}  // namespace parcelo
