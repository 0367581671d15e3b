// The uninstaller from its command line to its last message, on real files below drive C:
// of the POSIX System's drive table.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "install_world.h"
#include "platform/posix/posix_registry_system.h"
#include "record_layout.h"
#include "uninstaller/record_path.h"
#include "uninstaller/uninstall_run.h"

namespace qinstall {
namespace {

const char kRecord[] = "C:\\Program Files\\Sample Notes\\Uninstall.qsu";
const char kDestination[] = "C:\\Program Files\\Sample Notes";
const char kStartMenu[] = "C:\\WINDOWS\\Start Menu\\Programs\\Sample Notes";
const char kKey[] = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Sample Notes";
const char kCommand[] =
    "C:\\WINDOWS\\Uninstaller.exe C:\\Program Files\\Sample Notes\\Uninstall.qsu";

class UninstallRunTest : public ::testing::Test {
 protected:
  UninstallRunTest() {
    layout.destination = kDestination;
    layout.startMenu = kStartMenu;
    layout.extras = {"HKEY_CURRENT_USER\\Software\\Tavrin\\Sample Notes", "Notes.bak"};
    Put("C:\\WINDOWS\\Uninstaller.exe");
  }

  void Put(const std::string& dosPath, const std::string& bytes = "x") {
    world.Put(dosPath, bytes);
  }
  bool Exists(const std::string& dosPath) const { return world.Exists(dosPath); }
  void MakeReadOnly(const std::string& dosPath) const {
    std::filesystem::permissions(world.Host(dosPath),
                                 std::filesystem::perms::owner_write |
                                     std::filesystem::perms::group_write |
                                     std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::remove);
  }

  // Keys as "HKCU\Software\A" or "HKLM\SOFTWARE\...", in the POSIX System's registry.
  static RegistryHive HiveOf(const std::string& key) {
    return key.compare(0, 5, "HKCU\\") == 0 ? RegistryHive::CurrentUser
                                             : RegistryHive::LocalMachine;
  }
  void AddKey(const std::string& key) {
    MemoryRegistry& registry = HostRegistry().Memory();
    registry.CloseKey(registry.CreateKey(HiveOf(key), key.substr(5)));
  }
  bool HasKey(const std::string& key) const {
    return HostRegistry().Memory().KeyExists(HiveOf(key), key.substr(5));
  }

  // Lays out on disk and in the registry what installing layout leaves.
  void Install() {
    for (const std::string& file : layout.files) Put(std::string(kDestination) + "\\" + file);
    Put(std::string(kStartMenu) + "\\Read Me.lnk");
    Put("C:\\WINDOWS\\Desktop\\Read Me.lnk");
    Put("C:\\WINDOWS\\Desktop\\Notes.lnk");
    Put(std::string(kDestination) + "\\Notes.bak");
    AddKey("HKCU\\Software\\Tavrin\\Sample Notes");
    AddKey("HKCU\\Software\\Tavrin\\Sample Notes\\Window");
    AddKey(kKey);
    Put(kRecord, layout.Bytes());
  }

  int Run(const std::string& commandLine = kCommand) {
    return StartUninstaller(RecordPathFromCommandLine(commandLine));
  }

  std::string LastBox() const { return system.boxes.empty() ? "" : system.boxes.back().text; }

  InstallWorld world;
  TestSystem& system = world.system;
  RecordLayout layout;
};

TEST_F(UninstallRunTest, AsksOnceThenRemovesEverythingAndSaysSo) {
  Install();
  AddKey("HKCU\\Software\\Tavrin\\Other Product");
  ASSERT_EQ(Run(), 1);
  ASSERT_EQ(system.boxes.size(), 2u);
  EXPECT_EQ(system.boxes[0].text,
            "Are you sure you want to remove Sample Notes and all of its components?");
  EXPECT_EQ(system.boxes[0].caption, "Tavrin Uninstaller");
  EXPECT_EQ(system.boxes[0].style, kMbYesNo | kMbIconQuestion);
  EXPECT_EQ(system.boxes[0].owner, nullptr);
  EXPECT_EQ(system.boxes[1].text, "Sample Notes was successfully removed from your computer.");
  EXPECT_EQ(system.boxes[1].owner, Uninstall().progressDialog);
  EXPECT_EQ(system.boxes[1].style, kMbOk | kMbIconInformation);

  EXPECT_FALSE(Exists(kDestination));
  EXPECT_FALSE(Exists(kStartMenu));
  EXPECT_FALSE(Exists("C:\\WINDOWS\\Desktop\\Read Me.lnk"));
  EXPECT_FALSE(Exists("C:\\WINDOWS\\Desktop\\Notes.lnk"));
  EXPECT_FALSE(HasKey("HKCU\\Software\\Tavrin\\Sample Notes"));
  EXPECT_FALSE(HasKey("HKCU\\Software\\Tavrin\\Sample Notes\\Window"));
  EXPECT_FALSE(HasKey(kKey));
  // Shared or not ours: stays.
  EXPECT_TRUE(Exists("C:\\WINDOWS\\Uninstaller.exe"));
  EXPECT_TRUE(Exists("C:\\WINDOWS\\Start Menu\\Programs"));
  EXPECT_TRUE(HasKey("HKCU\\Software\\Tavrin\\Other Product"));

  const std::vector<std::string> expected = {
      "CreateModelessDialog 1",
      "SetCaption Removing Sample Notes",
      "ProgressSetRange 102 0 11",
      "StartWorker",
      "SetItemText 100 Removing C:\\Program Files\\Sample Notes\\Readme.txt",
      "ProgressDelta 102 1",
  };
  ASSERT_GE(system.calls.size(), expected.size());
  EXPECT_EQ(std::vector<std::string>(system.calls.begin(), system.calls.begin() + 6), expected);
  EXPECT_EQ(system.calls.back(), "CloseWindow 256");

  // The close that the worker sends ends the program; one before the end is ignored.
  system.calls.clear();
  CloseRemovalDialog();
  EXPECT_EQ(system.calls, (std::vector<std::string>{"DestroyDialog 256", "PostQuit 0"}));
  Uninstall().finished = false;
  Uninstall().progressDialog = reinterpret_cast<WindowHandle>(256);
  system.calls.clear();
  CloseRemovalDialog();
  EXPECT_TRUE(system.calls.empty());
}

TEST_F(UninstallRunTest, RemovesInOrderAndTheRecordBeforeItsFolder) {
  Install();
  ASSERT_EQ(Run(), 1);
  const std::vector<std::string> expected = {
      "file C:\\Program Files\\Sample Notes\\Readme.txt",
      "file C:\\Program Files\\Sample Notes\\Notes.txt",
      "file C:\\WINDOWS\\Start Menu\\Programs\\Sample Notes\\Read Me.lnk",
      "file C:\\WINDOWS\\Desktop\\Read Me.lnk",
      "file C:\\WINDOWS\\Desktop\\Notes.lnk",
      "key HKCU\\Software\\Tavrin\\Sample Notes",
      "file C:\\Program Files\\Sample Notes\\Notes.bak",
      "file C:\\Program Files\\Sample Notes\\Uninstall.qsu",
      "folder C:\\WINDOWS\\Start Menu\\Programs\\Sample Notes",
      "folder C:\\Program Files\\Sample Notes",
      "key HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Sample Notes",
  };
  EXPECT_EQ(system.removals, expected);
}

TEST_F(UninstallRunTest, KeepsWhatTheUserPutBesideIt) {
  Install();
  Put(std::string(kDestination) + "\\My Letter.txt", "mine");
  Put(std::string(kStartMenu) + "\\Other.lnk");
  ASSERT_EQ(Run(), 1);
  EXPECT_EQ(LastBox(), "Sample Notes was successfully removed from your computer.");
  EXPECT_TRUE(Exists(std::string(kDestination) + "\\My Letter.txt"));
  EXPECT_FALSE(Exists(std::string(kDestination) + "\\Readme.txt"));
  EXPECT_FALSE(Exists(kRecord));
  EXPECT_TRUE(Exists(std::string(kStartMenu) + "\\Other.lnk"));
  EXPECT_FALSE(Exists(std::string(kStartMenu) + "\\Read Me.lnk"));
  EXPECT_FALSE(HasKey(kKey));
}

TEST_F(UninstallRunTest, PassesOverMissingItemsSilently) {
  Put(kRecord, layout.Bytes());  // nothing else of the product is left
  ASSERT_EQ(Run(), 1);
  EXPECT_EQ(LastBox(), "Sample Notes was successfully removed from your computer.");
  EXPECT_FALSE(Exists(kDestination));
}

TEST_F(UninstallRunTest, ReportsInUseAndReadOnlyAndKeepsWhatARetryNeeds) {
  Install();
  system.inUse.insert(std::string(kDestination) + "\\Readme.txt");
  MakeReadOnly("C:\\WINDOWS\\Desktop\\Notes.lnk");
  ASSERT_EQ(Run(), 1);
  ASSERT_EQ(system.boxes.size(), 2u);
  EXPECT_EQ(system.boxes[1].caption, "Warning");
  EXPECT_EQ(system.boxes[1].style, kMbOk | kMbIconWarning);
  EXPECT_EQ(system.boxes[1].text,
            "Sample Notes could not be removed completely. These items are left:\n\n"
            "C:\\Program Files\\Sample Notes\\Readme.txt: it is in use\n"
            "C:\\WINDOWS\\Desktop\\Notes.lnk: it is read-only\n\n"
            "Close any program that uses them and clear their read-only mark, then remove "
            "Sample Notes again.");
  // Everything else went; the record, its folder and the key stay for the next try.
  EXPECT_FALSE(Exists(std::string(kDestination) + "\\Notes.txt"));
  EXPECT_FALSE(Exists("C:\\WINDOWS\\Desktop\\Read Me.lnk"));
  EXPECT_FALSE(HasKey("HKCU\\Software\\Tavrin\\Sample Notes"));
  EXPECT_FALSE(Exists(kStartMenu));
  EXPECT_TRUE(Exists(kRecord));
  EXPECT_TRUE(HasKey(kKey));

  // The next try, with the file closed and the mark cleared, finishes the job.
  system.inUse.clear();
  std::filesystem::permissions(world.Host("C:\\WINDOWS\\Desktop\\Notes.lnk"),
                               std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::add);
  system.boxes.clear();
  ASSERT_EQ(Run(), 1);
  EXPECT_EQ(LastBox(), "Sample Notes was successfully removed from your computer.");
  EXPECT_FALSE(Exists(kDestination));
  EXPECT_FALSE(HasKey(kKey));
}

TEST_F(UninstallRunTest, ReportsAFolderWhereAFileWasAndAKeyThatWillNotGo) {
  Install();
  std::filesystem::remove(world.Host(std::string(kDestination) + "\\Notes.bak"));
  world.MakeFolder(std::string(kDestination) + "\\Notes.bak\\inside");
  system.FailCall("DeleteKeyTree", 1, kErrorAccessDenied);  // the extra's key
  ASSERT_EQ(Run(), 1);
  EXPECT_NE(LastBox().find("C:\\Program Files\\Sample Notes\\Notes.bak: it is a folder, not a file\n"),
            std::string::npos) << LastBox();
  EXPECT_NE(LastBox().find("HKEY_CURRENT_USER\\Software\\Tavrin\\Sample Notes: access is denied\n"),
            std::string::npos) << LastBox();
  EXPECT_TRUE(Exists(std::string(kDestination) + "\\Notes.bak\\inside"));
}

TEST_F(UninstallRunTest, ListsAtMostFifteenItemsLeft) {
  layout.files.clear();
  for (int i = 0; i < 20; ++i) layout.files.push_back("F" + std::to_string(i) + ".txt");
  Install();
  for (const std::string& file : layout.files) system.inUse.insert(std::string(kDestination) + "\\" + file);
  ASSERT_EQ(Run(), 1);
  EXPECT_NE(LastBox().find("F14.txt: it is in use\n... and 5 more.\n\n"), std::string::npos)
      << LastBox();
  EXPECT_EQ(LastBox().find("F15.txt"), std::string::npos);
}

TEST_F(UninstallRunTest, NoMeansNothingIsTouched) {
  Install();
  system.answers = {kIdNo};
  EXPECT_EQ(Run(), 0);
  EXPECT_TRUE(system.removals.empty());
  EXPECT_TRUE(system.calls.empty());
  EXPECT_EQ(system.boxes.size(), 1u);
}

TEST_F(UninstallRunTest, RefusesWithAMessageNamingTheRecord) {
  Put("C:\\Cut\\Uninstall.qsu", layout.Bytes().substr(0, 30));
  RecordLayout hostile = layout;
  hostile.files = {"..\\..\\WINDOWS\\WIN.INI"};
  Put("C:\\Hostile\\Uninstall.qsu", hostile.Bytes());
  Put("C:\\WINDOWS\\WIN.INI", "keep");
  const struct {
    const char* commandLine;
    const char* message;
  } cases[] = {
      {"C:\\WINDOWS\\Uninstaller.exe",
       "No uninstall record was named.\n\nRemove a program through Add/Remove Programs in the "
       "Control Panel, which starts this program with the program's uninstall record."},
      {"Uninstaller.exe C:\\Gone\\Uninstall.qsu",
       "The uninstall record 'C:\\Gone\\Uninstall.qsu' does not exist. The program may have "
       "been removed already."},
      {"Uninstaller.exe \"C:\\Cut\\Uninstall.qsu\"",
       "The uninstall record 'C:\\Cut\\Uninstall.qsu' cannot be read. It is damaged, or another "
       "program has it open."},
      {"Uninstaller.exe C:\\Hostile\\Uninstall.qsu",
       "The uninstall record 'C:\\Hostile\\Uninstall.qsu' cannot be used: the file name "
       "'..\\..\\WINDOWS\\WIN.INI' climbs out of its folder with '..'.\n\nNothing was removed."},
  };
  for (const auto& c : cases) {
    system.boxes.clear();
    EXPECT_EQ(Run(c.commandLine), 0) << c.commandLine;
    ASSERT_EQ(system.boxes.size(), 1u) << c.commandLine;
    EXPECT_EQ(system.boxes[0].text, c.message);
    EXPECT_EQ(system.boxes[0].caption, "Error");
    EXPECT_EQ(system.boxes[0].style, kMbOk | kMbIconError);
  }
  EXPECT_TRUE(system.removals.empty());
  EXPECT_TRUE(Exists("C:\\WINDOWS\\WIN.INI"));
  EXPECT_EQ(system.openFiles, 0);
}

// However the Windows folder is written, a record naming it is refused before anything
// goes, and the files it lists there stay byte for byte.
TEST_F(UninstallRunTest, RefusesTheWindowsFolderHoweverItIsWritten) {
  Put("C:\\WINDOWS\\WIN.INI", "[windows]\r\n");
  Put("C:\\WINDOWS\\SYSTEM\\KERNEL32.DLL", "MZ");
  const struct {
    const char* destination;
    const char* problem;
  } cases[] = {
      {"C:/windows", "the destination folder 'C:/windows' is the Windows folder"},
      {"C:\\windows.", "the destination folder 'C:\\windows.' is the Windows folder"},
      {"\\\\?\\C:\\windows",
       "the destination folder '\\\\?\\C:\\windows' begins with '\\\\?\\', a form no installation "
       "writes"},
      {"\\\\.\\C:\\windows",
       "the destination folder '\\\\.\\C:\\windows' begins with '\\\\.\\', a form no installation "
       "writes"},
      {"C:\\WINDOWS\\SYSTEM ", "the destination folder 'C:\\WINDOWS\\SYSTEM ' is one of the "
                               "system's folders"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.destination);
    RecordLayout hostile = layout;
    hostile.destination = c.destination;
    hostile.files = {"WIN.INI", "SYSTEM\\KERNEL32.DLL", "KERNEL32.DLL"};
    Put("C:\\Evil\\Uninstall.qsu", hostile.Bytes());
    system.boxes.clear();
    EXPECT_EQ(Run("C:\\WINDOWS\\Uninstaller.exe C:\\Evil\\Uninstall.qsu"), 0);
    ASSERT_EQ(system.boxes.size(), 1u);
    EXPECT_EQ(system.boxes[0].text, "The uninstall record 'C:\\Evil\\Uninstall.qsu' cannot be "
                                    "used: " + std::string(c.problem) +
                                        ".\n\nNothing was removed.");
  }
  EXPECT_TRUE(system.removals.empty());
  EXPECT_EQ(ReadFileBytes(world.Host("C:\\WINDOWS\\WIN.INI")), "[windows]\r\n");
  EXPECT_EQ(ReadFileBytes(world.Host("C:\\WINDOWS\\SYSTEM\\KERNEL32.DLL")), "MZ");
  EXPECT_TRUE(Exists("C:\\Evil\\Uninstall.qsu"));
}

// An extra naming the system's list of programs refuses the whole record: no program's
// entry goes, and nothing else either.
TEST_F(UninstallRunTest, RefusesAnExtraNamingTheListOfPrograms) {
  Install();
  AddKey("HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Other Program");
  layout.extras = {"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"};
  Put(kRecord, layout.Bytes());
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(LastBox(),
            "The uninstall record 'C:\\Program Files\\Sample Notes\\Uninstall.qsu' cannot be used: "
            "the extra 'HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\"
            "Uninstall' is not a program's own key, nor one program's entry in a list the system "
            "shares.\n\nNothing was removed.");
  EXPECT_TRUE(system.removals.empty());
  EXPECT_TRUE(HasKey(kKey));
  EXPECT_TRUE(
      HasKey("HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Other Program"));
}

}  // namespace
}  // namespace qinstall
