// A confirmed cancel at each check point takes back this run's work and only that: the
// machine is as it was before the run, the uninstaller copy aside.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "install_world.h"
#include "phases/install_phases.h"
#include "phases/run_writes.h"
#include "platform/posix/posix_registry_system.h"

namespace qinstall {
namespace {

const char kKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tavrin Sample";
const char kCancelQuestion[] = "Are you sure you want to cancel the installation?";
const char kUninstaller[] = "C:\\WINDOWS\\Uninstaller.exe";

class RollbackTest : public ::testing::Test {
 protected:
  // Cancel pressed before the run; the answers to the questions come in order.
  void RunCancelled(std::initializer_list<int> answers) {
    cancelRequested = 1;
    world.system.answers = answers;
    world.RunInstall();
  }
  // What changed besides the uninstaller copy.
  std::vector<std::string> ChangesBesidesUninstaller(const std::map<std::string, std::string>& before) {
    std::vector<std::string> changes = Changes(before, world.Snapshot());
    changes.erase(std::remove(changes.begin(), changes.end(), std::string("+ ") + kUninstaller),
                  changes.end());
    return changes;
  }

  InstallWorld world;
};

TEST_F(RollbackTest, CancelBeforeTheFirstFileRemovesOnlyTheFoldersMade) {
  world.SetSamplePackage();
  const auto before = world.Snapshot();
  RunCancelled({kIdYes});
  EXPECT_EQ(world.BoxTexts(), std::vector<std::string>{kCancelQuestion});
  EXPECT_EQ(world.system.boxes[0].caption, "Cancel Installation");
  EXPECT_EQ(world.system.boxes[0].style, kMbYesNo | kMbIconQuestion);
  EXPECT_EQ(world.system.boxes[0].owner, InstallWorld::kProgress);
  EXPECT_EQ(Changes(before, world.Snapshot()), std::vector<std::string>{});
  EXPECT_EQ(Package().files.size(), 0u);
  EXPECT_EQ(world.Closes(), 1);
}

// Cancel before entry 2: the copies of entries 0 and 1 go, the earlier file at entry 3's
// path (in a destination that existed) stays, and so does the folder.
TEST_F(RollbackTest, CancelBeforeEntryNRemovesOnlyEarlierCopies) {
  world.SetPackage({"A.txt", "B.txt", "C.txt", "D.txt"}, {});
  world.Put("C:\\Apps\\Sample\\D.txt", "the user's D");
  const auto before = world.Snapshot();
  RunCancelled({kIdNo, kIdNo, kIdYes});
  EXPECT_EQ(world.BoxTexts(),
            std::vector<std::string>(3, kCancelQuestion));
  EXPECT_EQ(Package().files.size(), 2u);
  EXPECT_EQ(Changes(before, world.Snapshot()), std::vector<std::string>{});
  EXPECT_EQ(world.Steps(), 1 + 2);
}

TEST_F(RollbackTest, CancelAtAShortcutRemovesFilesLinksAndFolders) {
  world.SetSamplePackage();
  Choices().desktopShortcuts = true;
  const auto before = world.Snapshot();
  RunCancelled({kIdNo, kIdNo, kIdNo, kIdNo, kIdYes});  // Yes before the second link entry
  EXPECT_EQ(world.BoxTexts(), std::vector<std::string>(5, kCancelQuestion));
  EXPECT_EQ(ChangesBesidesUninstaller(before), std::vector<std::string>{});
  EXPECT_TRUE(world.Exists(kUninstaller));
  EXPECT_FALSE(HostRegistry().Memory().KeyExists(RegistryHive::LocalMachine, kKey));
}

TEST_F(RollbackTest, CancelAtTheEndRemovesTheRecordAndTheFolderWithIt) {
  world.SetSamplePackage();
  Choices().desktopShortcuts = true;
  const auto before = world.Snapshot();
  RunCancelled({kIdNo, kIdNo, kIdNo, kIdNo, kIdNo, kIdYes});
  EXPECT_EQ(world.BoxTexts(), std::vector<std::string>(6, kCancelQuestion));
  EXPECT_EQ(ChangesBesidesUninstaller(before), std::vector<std::string>{});
  EXPECT_FALSE(HostRegistry().Memory().KeyExists(RegistryHive::LocalMachine, kKey));
  EXPECT_EQ(world.Closes(), 1);
}

TEST_F(RollbackTest, FoldersThatExistedStayEvenWhenEmpty) {
  world.SetSamplePackage();
  world.MakeFolder(InstallWorld::kDestination);
  world.MakeFolder(InstallWorld::kStartMenu);
  world.Put(std::string(InstallWorld::kStartMenu) + "\\Other.lnk", "another product's link");
  const auto before = world.Snapshot();
  RunCancelled({kIdNo, kIdNo, kIdNo, kIdNo, kIdYes});
  EXPECT_EQ(ChangesBesidesUninstaller(before), std::vector<std::string>{});
}

// A Start Menu folder this run made is kept while it holds a link someone else put there.
TEST_F(RollbackTest, MadeStartMenuFolderHoldingOtherLinksStays) {
  world.SetSamplePackage();
  world.system.answers = {kIdNo, kIdNo, kIdNo};
  cancelRequested = 1;
  ASSERT_EQ(CreateInstallFolders(), 1);
  ASSERT_TRUE(qinstall::Run().startMenuFolderCreated);
  world.Put(std::string(InstallWorld::kStartMenu) + "\\Other.lnk", "another link");
  world.system.answers = {kIdNo, kIdNo, kIdNo, kIdNo, kIdYes};
  ASSERT_EQ(CopyPackageFiles(), 1);
  ASSERT_EQ(CreateShortcuts(), 0);
  EXPECT_EQ(world.Read(std::string(InstallWorld::kStartMenu) + "\\Other.lnk"), "another link");
  EXPECT_FALSE(world.Exists(std::string(InstallWorld::kStartMenu) + "\\Read Me.lnk"));
  EXPECT_FALSE(world.Exists(InstallWorld::kDestination));
}

// Links are taken back only where the run made them: with a choice off, a link of the same
// name in that place is someone else's.
TEST_F(RollbackTest, LinksAreRemovedOnlyWhereTheirChoiceWasOn) {
  struct Case {
    bool startMenu;
    bool desktop;
  };
  for (const Case& c : {Case{true, false}, Case{false, true}, Case{true, true}}) {
    InstallWorld fresh;
    fresh.SetSamplePackage();
    fresh.Put(std::string(InstallWorld::kStartMenu) + "\\Read Me.lnk", "an earlier menu link");
    fresh.Put("C:\\WINDOWS\\Desktop\\Read Me.lnk", "an earlier desktop link");
    Choices().startMenuShortcuts = c.startMenu;
    Choices().desktopShortcuts = c.desktop;
    const auto before = fresh.Snapshot();
    cancelRequested = 1;
    fresh.system.answers = {kIdNo, kIdNo, kIdNo, kIdNo, kIdNo, kIdYes};
    fresh.RunInstall();
    std::vector<std::string> changes = Changes(before, fresh.Snapshot());
    changes.erase(std::remove(changes.begin(), changes.end(), std::string("+ ") + kUninstaller),
                  changes.end());
    EXPECT_EQ(changes, std::vector<std::string>{}) << c.startMenu << c.desktop;
  }
}

TEST_F(RollbackTest, DeclinedOverwriteSurvivesAndAcceptedOneComesBack) {
  world.SetSamplePackage();
  world.Put("C:\\Apps\\Sample\\Readme.txt", "the user's readme");
  world.Put("C:\\Apps\\Sample\\Notes.txt", "the user's notes");
  const auto before = world.Snapshot();
  cancelRequested = 1;
  // Before Readme: No (go on), overwrite: No; before Notes: No, overwrite: Yes; before
  // Settings: No; then No at the link entries and Yes at the end.
  world.system.answers = {kIdNo, kIdNo, kIdNo, kIdYes, kIdNo, kIdNo, kIdNo, kIdYes};
  world.RunInstall();
  ASSERT_EQ(world.system.boxes.size(), 8u);
  EXPECT_EQ(world.system.boxes[1].text, "File 'Readme.txt' already exists. Overwrite?");
  EXPECT_EQ(world.system.boxes[3].text, "File 'Notes.txt' already exists. Overwrite?");
  EXPECT_EQ(ChangesBesidesUninstaller(before), std::vector<std::string>{});
}

// A record left by an earlier installation into the same folder, and the key it made,
// outlive a cancelled reinstallation.
TEST_F(RollbackTest, ReinstallCancelledAtTheEndKeepsTheEarlierInstallation) {
  world.SetSamplePackage();
  world.RunInstall();
  std::strcpy(Package().startMenuFolder, "Programs\\Sample");
  world.NewRun();
  const auto before = world.Snapshot();
  cancelRequested = 1;
  // Three overwrites accepted, the link entry and the end.
  world.system.answers = {kIdNo, kIdYes, kIdNo, kIdYes, kIdNo, kIdYes, kIdNo, kIdNo, kIdYes};
  world.RunInstall();
  EXPECT_EQ(Changes(before, world.Snapshot()), std::vector<std::string>{});
  EXPECT_TRUE(HostRegistry().Memory().KeyExists(RegistryHive::LocalMachine, kKey));
}

// A file in the way is set aside under the first free name of ~QSI0000.TMP, ~QSI0001.TMP...
TEST_F(RollbackTest, AFileInTheWayIsKeptUnderTheFirstFreeTemporaryName) {
  world.SetSamplePackage();
  for (const char* taken : {"0000", "0001", "0002", "0003", "0004", "0005", "0006", "0007", "0008",
                            "0009", "0010"}) {
    world.Put(std::string("C:\\Apps\\Sample\\~QSI") + taken + ".TMP", "earlier");
  }
  world.Put("C:\\Apps\\Sample\\Readme.txt", "the user's readme");
  world.Put("C:\\Apps\\Sample\\Notes.txt", "the user's notes");
  EXPECT_EQ(KeepAside("C:\\Apps\\Sample\\Readme.txt"), "C:\\Apps\\Sample\\~QSI0011.TMP");
  EXPECT_EQ(KeepAside("C:\\Apps\\Sample\\Notes.txt"), "C:\\Apps\\Sample\\~QSI0012.TMP");
  EXPECT_EQ(KeepAside("C:\\Apps\\Sample\\Settings.ini"), "");  // nothing there to keep
}

// A reinstallation cancelled at the end gives an uninstall key that was there before the run
// back its own values, whatever their type, and takes away only the values the run added.
TEST(RollbackRegistryTest, CancelAtTheEndPutsBackTheEarlierKeysValues) {
  const RegistryValue earlierName{kRegSz, std::string("Tavrin Sample 1.0\0", 18)};
  const RegistryValue earlierCommand{2, std::string("%windir%\\Uninstaller.exe C:\\Old\\Uninstall.qsu\0", 46)};
  const RegistryValue publisher{kRegSz, std::string("Tavrin\0", 7)};
  const struct {
    const char* what;
    std::vector<std::pair<std::string, RegistryValue>> values;
  } cases[] = {
      {"both values and another",
       {{"DisplayName", earlierName}, {"UninstallString", earlierCommand}, {"Publisher", publisher}}},
      {"only another value", {{"Publisher", publisher}}},
      {"no values at all", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    InstallWorld world;
    world.SetSamplePackage();
    MemoryRegistry& registry = HostRegistry().Memory();
    const RegistryKey key = registry.CreateKey(RegistryHive::LocalMachine, kKey);
    for (const auto& [name, value] : c.values) registry.SetValue(key, name, value);
    registry.CloseKey(key);
    const auto before = registry.ValuesOf(RegistryHive::LocalMachine, kKey);
    const auto filesBefore = world.Snapshot();
    // Cancel pressed from the start: No at every check point until the run's entry is in
    // the key, Yes after it.
    cancelRequested = 1;
    world.system.answer = [&registry](const Box& box) {
      if (box.text != kCancelQuestion) return kIdYes;
      std::string command;
      registry.QueryString(RegistryHive::LocalMachine, kKey, "UninstallString", &command);
      return command == "C:\\WINDOWS\\Uninstaller.exe C:\\Apps\\Sample\\Uninstall.qsu" ? kIdYes
                                                                                     : kIdNo;
    };
    world.RunInstall();
    EXPECT_EQ(world.BoxTexts().back(), kCancelQuestion);
    EXPECT_TRUE(registry.KeyExists(RegistryHive::LocalMachine, kKey));
    const auto after = registry.ValuesOf(RegistryHive::LocalMachine, kKey);
    ASSERT_EQ(after.size(), before.size());
    for (const auto& [name, value] : before) {
      ASSERT_EQ(after.count(name), 1u) << name;
      EXPECT_EQ(after.at(name).type, value.type) << name;
      EXPECT_EQ(after.at(name).data, value.data) << name;
    }
    std::vector<std::string> changes = Changes(filesBefore, world.Snapshot());
    EXPECT_EQ(changes, std::vector<std::string>{std::string("+ ") + kUninstaller});
  }
}

// A value of the earlier key that cannot be read is not written over: the phase fails
// with the registry message and the key keeps what it held.
TEST(RollbackRegistryTest, AnEarlierValueThatCannotBeReadIsNotReplaced) {
  InstallWorld world;
  world.SetSamplePackage();
  MemoryRegistry& registry = HostRegistry().Memory();
  const RegistryKey key = registry.CreateKey(RegistryHive::LocalMachine, kKey);
  registry.SetString(key, "DisplayName", "Tavrin Sample 1.0");
  registry.CloseKey(key);
  world.system.FailCall("QueryValue", 1, kErrorAccessDenied);
  world.RunInstall();
  EXPECT_EQ(world.BoxTexts().back(), "Unexpected error accessing the system registry.");
  std::string name;
  EXPECT_TRUE(registry.QueryString(RegistryHive::LocalMachine, kKey, "DisplayName", &name));
  EXPECT_EQ(name, "Tavrin Sample 1.0");
  EXPECT_EQ(registry.ValuesOf(RegistryHive::LocalMachine, kKey).size(), 1u);
}

}  // namespace
}  // namespace qinstall
