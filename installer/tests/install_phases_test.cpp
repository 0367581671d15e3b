// The install phases run through on real files: what lands where, the record byte for
// byte (and as the reader reads it), the registry entry and the questions asked.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "install_world.h"
#include "package/uninstall_record.h"
#include "package_bytes.h"
#include "phases/install_phases.h"
#include "platform/posix/link_file.h"
#include "platform/posix/posix_registry_system.h"
#include "record_layout.h"
#include "uninstaller/uninstall_run.h"

namespace qinstall {
namespace {

const char kKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tavrin Sample";
const char kComplete[] = "Installation is now complete.";

std::string RegistryValue(const std::string& name) {
  std::string value;
  if (!HostRegistry().Memory().QueryString(RegistryHive::LocalMachine, kKey, name, &value)) {
    return "<missing>";
  }
  return value;
}

ShellLink LinkAt(const InstallWorld& world, const std::string& path) {
  ShellLink link;
  EXPECT_TRUE(ParseLinkFile(world.Read(path), &link)) << path;
  return link;
}

class InstallPhasesTest : public ::testing::Test {
 protected:
  InstallWorld world;
};

TEST_F(InstallPhasesTest, MinimalPackageRecordIsExact) {
  world.SetPackage({}, {});
  world.RunInstall();
  const std::string expected = "QSU" + Byte(1) + Str("Tavrin Sample") + U16(0) +
                               Str("C:\\Apps\\Sample") + U16(0) +
                               Str("C:\\WINDOWS\\Start Menu\\Programs\\Sample") + Byte(1) + U16(0);
  EXPECT_EQ(world.Read("C:\\Apps\\Sample\\Uninstall.qsu"), expected);
  // No shortcuts: the Start Menu folder is neither made nor needed.
  EXPECT_FALSE(world.Exists(InstallWorld::kStartMenu));
  EXPECT_EQ(world.Read("C:\\WINDOWS\\Uninstaller.exe"), "uninstaller");
  EXPECT_EQ(world.BoxTexts(), std::vector<std::string>{kComplete});
  EXPECT_EQ(world.Steps(), 3);
}

TEST_F(InstallPhasesTest, FullInstallLandsEverywhereAndTheReaderAgrees) {
  world.SetSamplePackage();
  Choices().desktopShortcuts = true;
  world.Put("C:\\WINDOWS\\Uninstaller.exe", "an older uninstaller");
  world.RunInstall();

  for (const char* name : {"Readme.txt", "Notes.txt", "Settings.ini"}) {
    EXPECT_EQ(world.Read(std::string("C:\\Apps\\Sample\\") + name), std::string("new ") + name);
  }
  EXPECT_EQ(world.Read("C:\\WINDOWS\\Uninstaller.exe"), "uninstaller");  // replaced, no question
  EXPECT_EQ(world.BoxTexts(), std::vector<std::string>{kComplete});
  EXPECT_EQ(world.Closes(), 1);
  EXPECT_EQ(world.Steps(), 1 + 3 + 2 + 2);

  const ShellLink menu = LinkAt(world, "C:\\WINDOWS\\Start Menu\\Programs\\Sample\\Read Me.lnk");
  EXPECT_EQ(menu.target, "C:\\Apps\\Sample\\Readme.txt");
  EXPECT_EQ(menu.description, "What it is");
  EXPECT_EQ(menu.iconPath, "C:\\Apps\\Sample\\Readme.txt");
  EXPECT_EQ(menu.iconIndex, 0);
  EXPECT_EQ(menu.workingFolder, "C:\\Apps\\Sample");
  EXPECT_EQ(menu.arguments, "");
  EXPECT_EQ(world.Read("C:\\WINDOWS\\Desktop\\Read Me.lnk"),
            world.Read("C:\\WINDOWS\\Start Menu\\Programs\\Sample\\Read Me.lnk"));
  const ShellLink notes = LinkAt(world, "C:\\WINDOWS\\Desktop\\Notes.lnk");
  EXPECT_EQ(notes.iconPath, "C:\\Apps\\Sample\\Notes.txt");
  EXPECT_EQ(notes.iconIndex, 2);
  EXPECT_FALSE(world.Exists("C:\\WINDOWS\\Start Menu\\Programs\\Sample\\Notes.lnk"));

  EXPECT_EQ(RegistryValue("DisplayName"), "Tavrin Sample");
  EXPECT_EQ(RegistryValue("UninstallString"),
            "C:\\WINDOWS\\Uninstaller.exe C:\\Apps\\Sample\\Uninstall.qsu");

  const std::string record = "QSU" + Byte(1) + Str("Tavrin Sample") + U16(1) +
                             Str("HKEY_CURRENT_USER\\Software\\Tavrin\\Sample") +
                             Str("C:\\Apps\\Sample") + U16(3) + Str("Readme.txt") +
                             Str("Notes.txt") + Str("Settings.ini") +
                             Str("C:\\WINDOWS\\Start Menu\\Programs\\Sample") + Byte(0) + U16(2) +
                             Str("Read Me.lnk") + Byte(0) + Str("Notes.lnk") + Byte(2);
  EXPECT_EQ(world.Read("C:\\Apps\\Sample\\Uninstall.qsu"), record);

  UninstallRecord read;
  LoadReport report;
  ASSERT_EQ(LoadUninstallRecord("C:\\Apps\\Sample\\Uninstall.qsu", &read, &report), 1)
      << report.reason;
  EXPECT_EQ(report.offset, record.size());
  EXPECT_STREQ(read.productName, "Tavrin Sample");
  EXPECT_STREQ(read.destinationFolder, "C:\\Apps\\Sample");
  EXPECT_STREQ(read.startMenuFolder, "C:\\WINDOWS\\Start Menu\\Programs\\Sample");
  ASSERT_EQ(read.files.size(), 3u);
  EXPECT_STREQ(read.files[2].name, "Settings.ini");
  ASSERT_EQ(read.uninstallExtras.size(), 1u);
  EXPECT_STREQ(read.uninstallExtras[0].data(), "HKEY_CURRENT_USER\\Software\\Tavrin\\Sample");
  EXPECT_EQ(read.choices, 0);
  ASSERT_EQ(read.shortcuts.size(), 2u);
  EXPECT_STREQ(read.shortcuts[1].name, "Notes.lnk");
  EXPECT_EQ(read.shortcuts[1].placement, ShortcutPlacement::DesktopOnly);
}

// The choices byte follows the two choices; an odd placement is written as read.
TEST_F(InstallPhasesTest, RecordCodesChoicesAndKeepsOddPlacements) {
  struct Case {
    bool startMenu;
    bool desktop;
    unsigned byte;
  };
  for (const Case& c : {Case{true, true, 0}, Case{true, false, 1}, Case{false, true, 2},
                        Case{false, false, 3}}) {
    world.NewRun();
    ResetInstallPackage();
    world.SetPackage({}, {{"Odd.lnk", "x.exe", "odd", "", 9}});
    Choices().startMenuShortcuts = c.startMenu;
    Choices().desktopShortcuts = c.desktop;
    world.RunInstall();
    UninstallRecord read;
    ASSERT_EQ(LoadUninstallRecord("C:\\Apps\\Sample\\Uninstall.qsu", &read), 1);
    EXPECT_EQ(read.choices, c.byte);
    ASSERT_EQ(read.shortcuts.size(), 1u);
    EXPECT_EQ(static_cast<unsigned>(read.shortcuts[0].placement), 9u);
  }
}

std::vector<std::string> ListedFiles(const std::string& recordPath) {
  UninstallRecord read;
  EXPECT_EQ(LoadUninstallRecord(recordPath, &read), 1) << recordPath;
  std::vector<std::string> names;
  for (const FileEntry& file : read.files) names.push_back(file.name);
  return names;
}

// A file the user chose to keep is the user's own: the record leaves it out, so that
// removing the product later does not delete it.
TEST_F(InstallPhasesTest, DeclinedFileStaysAndIsNotListed) {
  world.SetSamplePackage();
  world.Put("C:\\Apps\\Sample\\Notes.txt", "the user's notes");
  world.system.answers = {kIdNo};
  world.RunInstall();
  ASSERT_GE(world.system.boxes.size(), 1u);
  const Box& question = world.system.boxes[0];
  EXPECT_EQ(question.text, "File 'Notes.txt' already exists. Overwrite?");
  EXPECT_EQ(question.caption, "File Already Exists");
  EXPECT_EQ(question.style, kMbYesNo);
  EXPECT_EQ(question.owner, InstallWorld::kProgress);
  EXPECT_EQ(world.Read("C:\\Apps\\Sample\\Notes.txt"), "the user's notes");
  EXPECT_EQ(world.Steps(), 1 + 2 + 2 + 2);  // no step for the declined file
  EXPECT_EQ(ListedFiles("C:\\Apps\\Sample\\Uninstall.qsu"),
            (std::vector<std::string>{"Readme.txt", "Settings.ini"}));
}

// A declined file is the product's when the record of an earlier installation of the
// product into the same folder listed it: then the user kept the product's older copy.
TEST(DeclinedFileTest, IsListedOnlyWhenTheEarlierRecordOfTheProductListedIt) {
  const auto earlier = [](const std::string& product, std::vector<std::string> files) {
    RecordLayout layout;
    layout.product = product;
    layout.destination = InstallWorld::kDestination;
    layout.files = std::move(files);
    return layout.Bytes();
  };
  const std::vector<std::string> all = {"Readme.txt", "Notes.txt", "Settings.ini"};
  const std::vector<std::string> without = {"Readme.txt", "Settings.ini"};
  const struct {
    const char* what;
    std::string record;  // at the destination before the run; empty: none
    std::vector<std::string> listed;
  } cases[] = {
      {"no earlier record", "", without},
      {"an earlier record of the product that lists it",
       earlier("Tavrin Sample", {"Readme.txt", "notes.TXT"}), all},
      {"one naming the product in other capitals", earlier("TAVRIN SAMPLE", {"Notes.txt"}), all},
      {"an earlier record of the product without it", earlier("Tavrin Sample", {"Readme.txt"}),
       without},
      {"another product's record that lists it", earlier("Other Product", {"Notes.txt"}), without},
      {"a damaged record", earlier("Tavrin Sample", {"Notes.txt"}).substr(0, 40), without},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    InstallWorld world;
    world.SetSamplePackage();
    world.Put("C:\\Apps\\Sample\\Notes.txt", "the kept notes");
    if (!c.record.empty()) world.Put("C:\\Apps\\Sample\\Uninstall.qsu", c.record);
    const auto before = world.Snapshot();
    world.system.answers = {kIdNo};
    world.RunInstall();
    EXPECT_EQ(world.BoxTexts(), (std::vector<std::string>{
                                    "File 'Notes.txt' already exists. Overwrite?", kComplete}));
    EXPECT_EQ(ListedFiles("C:\\Apps\\Sample\\Uninstall.qsu"), c.listed);
    const std::vector<std::string> changes = Changes(before, world.Snapshot());
    std::vector<std::string> expected = {
        std::string(c.record.empty() ? "+" : "~") + " C:\\Apps\\Sample\\Uninstall.qsu",
        "+ C:\\Apps\\Sample\\Readme.txt",
        "+ C:\\Apps\\Sample\\Settings.ini",
        "+ C:\\WINDOWS\\Start Menu\\Programs\\Sample",
        "+ C:\\WINDOWS\\Start Menu\\Programs\\Sample\\Read Me.lnk",
        "+ C:\\WINDOWS\\Uninstaller.exe",
    };
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(changes, expected);
    EXPECT_EQ(world.Read("C:\\Apps\\Sample\\Notes.txt"), "the kept notes");
  }
}

// Installed with the user's own Notes.txt kept, then removed: the user's file is all that
// is left of the run.
TEST_F(InstallPhasesTest, RemovingTheProductKeepsTheFileTheUserKept) {
  world.SetSamplePackage();
  world.Put("C:\\Apps\\Sample\\Notes.txt", "the user's notes");
  const auto before = world.Snapshot();
  world.system.answers = {kIdNo};
  world.RunInstall();
  world.system.boxes.clear();
  ASSERT_EQ(StartUninstaller("C:\\Apps\\Sample\\Uninstall.qsu"), 1);
  EXPECT_EQ(world.BoxTexts(),
            (std::vector<std::string>{
                "Are you sure you want to remove Tavrin Sample and all of its components?",
                "Tavrin Sample was successfully removed from your computer."}));
  EXPECT_EQ(Changes(before, world.Snapshot()),
            std::vector<std::string>{"+ C:\\WINDOWS\\Uninstaller.exe"});
  EXPECT_FALSE(HostRegistry().Memory().KeyExists(RegistryHive::LocalMachine, kKey));
}

TEST_F(InstallPhasesTest, AcceptedOverwriteLeavesNothingAside) {
  world.SetSamplePackage();
  world.Put("C:\\Apps\\Sample\\Notes.txt", "the user's notes");
  world.Put("C:\\WINDOWS\\Desktop\\Read Me.lnk", "an older link");
  Choices().desktopShortcuts = true;
  const auto before = world.Snapshot();
  world.system.answers = {kIdYes};
  world.RunInstall();
  EXPECT_EQ(world.Read("C:\\Apps\\Sample\\Notes.txt"), "new Notes.txt");
  for (const std::string& change : Changes(before, world.Snapshot())) {
    EXPECT_EQ(change.find("~QSI"), std::string::npos) << change;
  }
}

TEST_F(InstallPhasesTest, FailedCopyRetriesThenGivesUpWithoutRollback) {
  world.SetSamplePackage();
  world.system.FailCall("CopyFileOver", 2, kErrorSharingViolation);
  world.system.FailCall("CopyFileOver", 3);
  world.system.answers = {kIdRetry, kIdCancel};
  world.RunInstall();
  const std::vector<std::string> expected = {"Error copying file 'Notes.txt'",
                                             "Error copying file 'Notes.txt'"};
  EXPECT_EQ(world.BoxTexts(), expected);
  EXPECT_EQ(world.system.boxes[0].style, kMbRetryCancel | kMbIconError);
  EXPECT_EQ(world.system.boxes[0].caption, "Error");
  // The retry failed too, and the user gave up: Readme.txt stays, nothing more.
  EXPECT_EQ(world.Read("C:\\Apps\\Sample\\Readme.txt"), "new Readme.txt");
  EXPECT_FALSE(world.Exists("C:\\Apps\\Sample\\Settings.ini"));
  EXPECT_FALSE(world.Exists("C:\\WINDOWS\\Uninstaller.exe"));
  EXPECT_EQ(world.Closes(), 1);
}

TEST_F(InstallPhasesTest, GivingUpOnAReplacedFilePutsTheOldOneBack) {
  world.SetSamplePackage();
  world.Put("C:\\Apps\\Sample\\Readme.txt", "old readme");
  world.Put("C:\\Apps\\Sample\\Notes.txt", "old notes");
  world.system.FailCall("CopyFileOver", 2);
  world.system.answers = {kIdYes, kIdYes, kIdCancel};
  world.RunInstall();
  EXPECT_EQ(world.Read("C:\\Apps\\Sample\\Readme.txt"), "new Readme.txt");  // the run's work stays
  EXPECT_EQ(world.Read("C:\\Apps\\Sample\\Notes.txt"), "old notes");        // never replaced
  for (const auto& [path, bytes] : world.Snapshot()) {
    EXPECT_EQ(path.find("~QSI"), std::string::npos) << path;
  }
}

TEST_F(InstallPhasesTest, MissingUninstallerIsACopyError) {
  world.SetPackage({}, {});
  std::filesystem::remove(world.root.path() + "/package/Uninstaller.exe");
  world.RunInstall();
  EXPECT_EQ(world.BoxTexts(), std::vector<std::string>{"Error copying file 'Uninstaller.exe'"});
  EXPECT_EQ(world.Closes(), 1);
}

TEST_F(InstallPhasesTest, FolderFailuresShowTheirMessages) {
  const char destination[] =
      "Error creating destination directory. Directory must be created inside an existing directory.";
  const char startMenu[] =
      "Error creating shortcut folder. Folder must be created inside an existing folder.";
  struct Case {
    std::string destination;
    std::string startMenuFolder;
    const char* message;
    bool destinationLeft;
  };
  const Case cases[] = {
      {"C:\\No\\Such\\Folder", "Programs\\Sample", destination, false},
      {"", "Programs\\Sample", destination, false},
      {"C:\\Apps\\Sample", "Programs\\Missing\\Sample", startMenu, true},  // no rollback
  };
  for (const Case& c : cases) {
    InstallWorld fresh;
    fresh.SetPackage({"Readme.txt"}, {{"Read Me.lnk", "Readme.txt", "", "", 0}}, {},
                     c.destination, c.startMenuFolder);
    fresh.RunInstall();
    EXPECT_EQ(fresh.BoxTexts(), std::vector<std::string>{c.message}) << c.destination;
    EXPECT_EQ(fresh.system.boxes[0].style, kMbOk | kMbIconError);
    EXPECT_EQ(fresh.Closes(), 1);
    EXPECT_EQ(fresh.Exists("C:\\Apps\\Sample"), c.destinationLeft);
  }
}

TEST_F(InstallPhasesTest, StartMenuFolderIsFullEvenWhenUnused) {
  world.SetPackage({"Readme.txt"}, {{"Read Me.lnk", "Readme.txt", "", "", 0}}, {},
                   InstallWorld::kDestination, "Programs\\Missing\\Sample");
  Choices().startMenuShortcuts = false;
  world.RunInstall();
  EXPECT_STREQ(Package().startMenuFolder, "C:\\WINDOWS\\Start Menu\\Programs\\Missing\\Sample");
  EXPECT_EQ(world.BoxTexts(), std::vector<std::string>{kComplete});
  EXPECT_FALSE(world.Exists("C:\\WINDOWS\\Start Menu\\Programs\\Missing"));
}

// A path over 259 characters is refused with its phase's own message, never cut short.
TEST_F(InstallPhasesTest, OverlongPathsFailTheirPhase) {
  const std::string longFolder = "C:\\Apps\\" + std::string(240, 'd');  // 248 characters
  {
    InstallWorld fresh;
    fresh.SetPackage({"A-rather-long-file-name.txt"}, {}, {}, longFolder);
    fresh.RunInstall();
    EXPECT_EQ(fresh.BoxTexts(),
              std::vector<std::string>{"Error copying file 'A-rather-long-file-name.txt'"});
  }
  {
    InstallWorld fresh;
    fresh.SetPackage({}, {}, {}, InstallWorld::kDestination, "Programs\\" + std::string(240, 's'));
    fresh.RunInstall();
    EXPECT_EQ(fresh.BoxTexts(), std::vector<std::string>{
        "Error creating shortcut folder. Folder must be created inside an existing folder."});
    EXPECT_FALSE(fresh.Exists(InstallWorld::kDestination));
  }
  {
    // 248 + "\Uninstall.qsu" fits no command after "C:\WINDOWS\Uninstaller.exe ".
    InstallWorld fresh;
    fresh.SetPackage({}, {}, {}, longFolder);
    fresh.RunInstall();
    EXPECT_EQ(fresh.BoxTexts(),
              std::vector<std::string>{"Unexpected error accessing the system registry."});
    EXPECT_FALSE(HostRegistry().Memory().KeyExists(RegistryHive::LocalMachine, kKey));
  }
  {
    // The link's target does not fit: no link, but the entry still steps.
    InstallWorld fresh;
    const std::string folder = "C:\\Apps\\" + std::string(200, 'e');
    fresh.SetPackage({}, {{"Long.lnk", std::string(58, 't'), "", "", 0}}, {}, folder);
    fresh.RunInstall();
    EXPECT_FALSE(fresh.Exists("C:\\WINDOWS\\Start Menu\\Programs\\Sample\\Long.lnk"));
    EXPECT_EQ(fresh.Steps(), 1 + 1 + 2);
  }
}

TEST_F(InstallPhasesTest, InstallingTwiceReusesTheKeyAndReplacesTheRecord) {
  world.SetSamplePackage();
  world.RunInstall();
  world.NewRun();
  std::strcpy(Package().startMenuFolder, "Programs\\Sample");
  std::strcpy(Package().destinationFolder, "C:\\Apps\\Second");
  world.system.answers.clear();
  world.RunInstall();
  EXPECT_EQ(RegistryValue("UninstallString"),
            "C:\\WINDOWS\\Uninstaller.exe C:\\Apps\\Second\\Uninstall.qsu");
  EXPECT_EQ(RegistryValue("DisplayName"), "Tavrin Sample");
  EXPECT_FALSE(qinstall::Run().uninstallKeyCreated);
}

TEST_F(InstallPhasesTest, RecordWriteFailureStillCompletes) {
  world.SetSamplePackage();
  world.system.FailCall("WriteFile", 5);
  world.RunInstall();
  EXPECT_EQ(world.BoxTexts(), std::vector<std::string>{kComplete});
  // Four fields made it: magic, version, product name, extras count.
  EXPECT_EQ(world.Read("C:\\Apps\\Sample\\Uninstall.qsu"),
            "QSU" + Byte(1) + Str("Tavrin Sample") + U16(1));
}

}  // namespace
}  // namespace qinstall
