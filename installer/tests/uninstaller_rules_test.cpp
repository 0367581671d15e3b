// The uninstaller's rules, without removing anything: its command line, the names and
// extras it accepts, the records it refuses, and the order of a removal.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "record_layout.h"
#include "test_system.h"
#include "uninstaller/record_checks.h"
#include "uninstaller/record_path.h"
#include "uninstaller/removal_plan.h"
#include "uninstaller/uninstall_names.h"

namespace qinstall {
namespace {

TEST(RecordPathFromCommandLine, TakesEverythingAfterTheProgram) {
  const struct {
    const char* commandLine;
    const char* path;
  } cases[] = {
      // What the system runs: the path unquoted, blanks and all.
      {"C:\\WINDOWS\\Uninstaller.exe C:\\Program Files\\Sample Notes\\Uninstall.qsu",
       "C:\\Program Files\\Sample Notes\\Uninstall.qsu"},
      {"\"C:\\WINDOWS\\Uninstaller.exe\" C:\\My Apps\\Uninstall.qsu", "C:\\My Apps\\Uninstall.qsu"},
      {"Uninstaller.exe \"C:\\My Apps\\Uninstall.qsu\"", "C:\\My Apps\\Uninstall.qsu"},
      {"\"C:\\Program Files\\U.exe\"   \"C:\\A B\\Uninstall.qsu\"  ", "C:\\A B\\Uninstall.qsu"},
      {"Uninstaller.exe C:\\Two  Blanks\\Uninstall.qsu \r\n", "C:\\Two  Blanks\\Uninstall.qsu"},
      {"Uninstaller.exe \"C:\\Unclosed\\Uninstall.qsu", "C:\\Unclosed\\Uninstall.qsu"},
      {"\tUninstaller.exe\tC:\\T\\Uninstall.qsu", "C:\\T\\Uninstall.qsu"},
      {"Uninstaller.exe", ""},
      {"\"C:\\WINDOWS\\Uninstaller.exe\"", ""},
      {"Uninstaller.exe    ", ""},
      {"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RecordPathFromCommandLine(c.commandLine), c.path) << c.commandLine;
  }
}

TEST(RelativeNameProblem, RefusesNamesThatLeaveTheirFolder) {
  const struct {
    const char* name;
    const char* problem;
  } cases[] = {
      {"Readme.txt", ""},
      {"Sub\\Notes.txt", ""},
      {"Sub/Notes.txt", ""},
      {"..Notes..txt", ""},
      {".profile", ""},
      {"", "is empty"},
      {"\\WINDOWS\\WIN.INI", "is absolute"},
      {"/etc/passwd", "is absolute"},
      {"C:\\AUTOEXEC.BAT", "names a drive"},
      {"C:AUTOEXEC.BAT", "names a drive"},
      {"File.txt:stream", "names a drive"},
      {"..\\WIN.INI", "climbs out of its folder with '..'"},
      {"Sub\\..\\..\\WIN.INI", "climbs out of its folder with '..'"},
      {"Sub/../x", "climbs out of its folder with '..'"},
      {"...\\WIN.INI", "climbs out of its folder with '...'"},
      {"Sub\\. .\\x", "climbs out of its folder with '. .'"},
      {"Sub\\..", "climbs out of its folder with '..'"},
      {"*.*", "holds a wildcard"},
      {"Note?.txt", "holds a wildcard"},
  };
  for (const auto& c : cases) EXPECT_EQ(RelativeNameProblem(c.name), c.problem) << c.name;
}

TEST(ReadUninstallExtra, KeysBelowSoftwareAndFilesBelowTheDestination) {
  const struct {
    const char* text;
    ExtraKind kind;
    RegistryHive hive;
    const char* name;
    const char* problem;
  } cases[] = {
      {"HKEY_CURRENT_USER\\Software\\Tavrin\\Sample Notes", ExtraKind::RegistryKey,
       RegistryHive::CurrentUser, "Software\\Tavrin\\Sample Notes", ""},
      {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Tavrin", ExtraKind::RegistryKey, RegistryHive::LocalMachine,
       "SOFTWARE\\Tavrin", ""},
      {"hkey_local_machine\\software\\tavrin", ExtraKind::RegistryKey, RegistryHive::LocalMachine,
       "software\\tavrin", ""},
      {"HKEY_CURRENT_USER\\Software\\Classes\\.tvn", ExtraKind::RegistryKey,
       RegistryHive::CurrentUser, "Software\\Classes\\.tvn", ""},
      {"HKEY_CURRENT_USER\\Software\\A/B", ExtraKind::RegistryKey, RegistryHive::CurrentUser,
       "Software\\A/B", ""},
      {"HKEY_CURRENT_USER\\Software", ExtraKind::RegistryKey, RegistryHive::CurrentUser,
       "Software", "is less than two levels below its hive"},
      {"HKEY_CURRENT_USER\\", ExtraKind::RegistryKey, RegistryHive::CurrentUser, "",
       "has an empty key name (two backslashes together, or one at an end)"},
      {"HKEY_LOCAL_MACHINE\\Software\\\\Tavrin", ExtraKind::RegistryKey,
       RegistryHive::LocalMachine, "Software\\\\Tavrin",
       "has an empty key name (two backslashes together, or one at an end)"},
      {"HKEY_LOCAL_MACHINE\\Software\\Tavrin\\", ExtraKind::RegistryKey,
       RegistryHive::LocalMachine, "Software\\Tavrin\\",
       "has an empty key name (two backslashes together, or one at an end)"},
      {"HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet", ExtraKind::RegistryKey,
       RegistryHive::LocalMachine, "SYSTEM\\CurrentControlSet",
       "is not below Software; the system keeps its own settings there"},
      {"HKEY_CURRENT_USER\\Control Panel\\Desktop", ExtraKind::RegistryKey,
       RegistryHive::CurrentUser, "Control Panel\\Desktop",
       "is not below Software; the system keeps its own settings there"},
      {"HKEY_LOCAL_MACHINE\\Software\\Microsoft", ExtraKind::RegistryKey,
       RegistryHive::LocalMachine, "Software\\Microsoft", "is one of the system's own keys"},
      {"HKEY_CURRENT_USER\\Software\\classes", ExtraKind::RegistryKey, RegistryHive::CurrentUser,
       "Software\\classes", "is one of the system's own keys"},
      {"HKEY_CURRENT_USER\\Software\\Wine", ExtraKind::RegistryKey, RegistryHive::CurrentUser,
       "Software\\Wine", "is one of the system's own keys"},
      {"Notes.bak", ExtraKind::File, RegistryHive::CurrentUser, "Notes.bak", ""},
      {"Cache\\Index.dat", ExtraKind::File, RegistryHive::CurrentUser, "Cache\\Index.dat", ""},
      // Other spellings of a key are file names, and harmless ones.
      {"HKCU\\Software\\Tavrin", ExtraKind::File, RegistryHive::CurrentUser,
       "HKCU\\Software\\Tavrin", ""},
      {"HKEY_CURRENT_USER", ExtraKind::File, RegistryHive::CurrentUser, "HKEY_CURRENT_USER", ""},
      {"..\\..\\WINDOWS\\WIN.INI", ExtraKind::File, RegistryHive::CurrentUser,
       "..\\..\\WINDOWS\\WIN.INI", "climbs out of its folder with '..'"},
      {"C:\\CONFIG.SYS", ExtraKind::File, RegistryHive::CurrentUser, "C:\\CONFIG.SYS",
       "names a drive"},
  };
  for (const auto& c : cases) {
    UninstallExtra extra;
    EXPECT_EQ(ReadUninstallExtra(c.text, &extra), c.problem) << c.text;
    EXPECT_EQ(extra.kind, c.kind) << c.text;
    EXPECT_EQ(extra.name, c.name) << c.text;
    if (c.kind == ExtraKind::RegistryKey) {
      EXPECT_EQ(extra.hive, c.hive) << c.text;
    }
  }
  EXPECT_TRUE(LooksLikeOtherRegistryKey("HKCU\\Software\\Tavrin"));
  EXPECT_TRUE(LooksLikeOtherRegistryKey("HKEY_CLASSES_ROOT\\.tvn"));
  EXPECT_FALSE(LooksLikeOtherRegistryKey("HKEY_CURRENT_USER\\Software\\Tavrin"));
  EXPECT_FALSE(LooksLikeOtherRegistryKey("Notes.bak"));
}

// A key is accepted only in one of the forms a program's own key takes: its maker's key
// below Software, or its one entry in a list the system shares with every program. The
// lists themselves and every key above them are refused, in either hive.
TEST(ReadUninstallExtra, AKeyMustHaveTheFormOfAProgramsOwnKey) {
  const std::string notOwn =
      "is not a program's own key, nor one program's entry in a list the system shares";
  const std::string uninstall = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
  const std::string appPaths = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths";
  const struct {
    std::string key;  // below the hive
    std::string problem;
  } cases[] = {
      {"Software\\Tavrin", ""},
      {"Software\\Tavrin\\Sample Notes\\Window", ""},
      {uninstall + "\\Tavrin Sample Notes", ""},
      {uninstall + "\\Tavrin Sample Notes\\Extra", ""},
      {"SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\UNINSTALL\\Notes", ""},
      {appPaths + "\\Notes.exe", ""},
      {appPaths + "\\NOTES.EXE\\Options", ""},
      {"Software\\Classes\\.tvn", ""},
      {"Software\\Classes\\Tavrin.Notes.1", ""},
      {"Software\\Classes\\Tavrin.Notes\\shell\\open\\command", ""},
      {"Software\\Classes\\CLSID\\{0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0}", ""},
      {"Software\\Classes\\CLSID\\{0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f0}\\InprocServer32", ""},
      // The lists the system shares, and what lies above them.
      {uninstall, notOwn},
      {"Software\\Microsoft\\Windows\\CurrentVersion", notOwn},
      {"Software\\Microsoft\\Windows", notOwn},
      {"Software\\Microsoft", "is one of the system's own keys"},
      {appPaths, notOwn},
      {appPaths + "\\Notes", notOwn},
      {appPaths + "\\.exe", notOwn},
      {"Software\\Classes", "is one of the system's own keys"},
      {"Software\\Classes\\CLSID", notOwn},
      {"Software\\Classes\\CLSID\\Tavrin", notOwn},
      {"Software\\Classes\\CLSID\\{0F1E2D3C-4B5A-6978-8796}", notOwn},
      {"Software\\Classes\\exefile", notOwn},
      {"Software\\Classes\\Directory", notOwn},
      {"Software\\Classes\\*", notOwn},
      {"Software\\Classes\\Tavrin.", notOwn},
      // The system's other keys, below Software and deeper.
      {"Software\\Microsoft\\Windows\\CurrentVersion\\Run", notOwn},
      {"Software\\Microsoft\\Internet Explorer", notOwn},
      {"Software\\Policies\\Tavrin", notOwn},
      {"Software\\Wine\\Drives", notOwn},
  };
  for (const auto& c : cases) {
    for (const char* hive : {"HKEY_LOCAL_MACHINE\\", "HKEY_CURRENT_USER\\"}) {
      UninstallExtra extra;
      EXPECT_EQ(ReadUninstallExtra(hive + c.key, &extra), c.problem) << hive << c.key;
      EXPECT_EQ(extra.kind, ExtraKind::RegistryKey);
      EXPECT_EQ(extra.name, c.key);
    }
  }
}

TEST(PlainPath, WritesEveryPathOneWay) {
  const struct {
    const char* path;
    const char* plain;
  } cases[] = {
      {"C:\\Apps\\Sample", "C:\\Apps\\Sample"},
      {"C:/windows", "C:\\windows"},
      {"C:\\windows.", "C:\\windows"},
      {"C:\\windows. .\\", "C:\\windows\\"},
      {"C:\\Program Files .\\Notes..\\Read me.txt. ", "C:\\Program Files\\Notes\\Read me.txt"},
      {"\\\\?\\C:\\windows", "\\\\?\\C:\\windows"},
      {"//./C:/windows", "\\\\.\\C:\\windows"},
      {"Sub\\..\\x", "Sub\\..\\x"},  // names of dots alone stay, for the checks to refuse
      {"a\\. \\b", "a\\. \\b"},
      {"..Notes..txt", "..Notes..txt"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(PlainPath(c.path), c.plain) << c.path;
}

TEST(UninstallRecordProblem, RefusesHostileRecordsWhole) {
  TestSystem system;
  const std::function<void(RecordLayout&)> none = [](RecordLayout&) {};
  const struct {
    const char* what;
    std::function<void(RecordLayout&)> change;
    const char* problem;
  } cases[] = {
      {"a record as the installer writes it", none, ""},
      {"a destination with blanks and a trailing backslash",
       [](RecordLayout& r) { r.destination = "C:\\Program Files\\Sample Notes\\"; }, ""},
      {"a destination on a network share",
       [](RecordLayout& r) { r.destination = "\\\\server\\share\\Notes"; }, ""},
      {"links right in the Start Menu",
       [](RecordLayout& r) { r.startMenu = "C:\\WINDOWS\\Start Menu\\"; }, ""},
      {"an empty product", [](RecordLayout& r) { r.product = ""; }, "it names no product"},
      {"a product that names a subkey", [](RecordLayout& r) { r.product = "A\\..\\B"; },
       "the product name 'A\\..\\B' holds a backslash"},
      {"a drive root", [](RecordLayout& r) { r.destination = "C:\\"; },
       "the destination folder 'C:\\' is a drive root"},
      {"a bare drive", [](RecordLayout& r) { r.destination = "D:"; },
       "the destination folder 'D:' is a drive root"},
      {"a doubled root", [](RecordLayout& r) { r.destination = "C:\\\\"; },
       "the destination folder 'C:\\\\' is a drive root"},
      {"a share's root", [](RecordLayout& r) { r.destination = "\\\\server\\share"; },
       "the destination folder '\\\\server\\share' is the root of a network share"},
      {"the Windows folder", [](RecordLayout& r) { r.destination = "c:\\windows\\"; },
       "the destination folder 'c:\\windows\\' is the Windows folder"},
      {"the Windows folder in disguise", [](RecordLayout& r) { r.destination = "C:\\Apps\\..\\WINDOWS"; },
       "the destination folder 'C:\\Apps\\..\\WINDOWS' climbs out of its folder with '..'"},
      {"the Windows folder with a dot", [](RecordLayout& r) { r.destination = "C:\\WINDOWS\\."; },
       "the destination folder 'C:\\WINDOWS\\.' is not written plainly (an empty, '.' or blank "
       "folder name)"},
      {"the Windows folder with slashes", [](RecordLayout& r) { r.destination = "C:/windows"; },
       "the destination folder 'C:/windows' is the Windows folder"},
      {"the Windows folder with a trailing dot",
       [](RecordLayout& r) { r.destination = "C:\\windows."; },
       "the destination folder 'C:\\windows.' is the Windows folder"},
      {"the Windows folder with dots and blanks",
       [](RecordLayout& r) { r.destination = "c:\\WINDOWS .. \\"; },
       "the destination folder 'c:\\WINDOWS .. \\' is the Windows folder"},
      {"the Windows folder by its long-path prefix",
       [](RecordLayout& r) { r.destination = "\\\\?\\C:\\windows"; },
       "the destination folder '\\\\?\\C:\\windows' begins with '\\\\?\\', a form no "
       "installation writes"},
      {"the prefix with slashes", [](RecordLayout& r) { r.destination = "//?/C:/Apps/Notes"; },
       "the destination folder '//?/C:/Apps/Notes' begins with '\\\\?\\', a form no installation "
       "writes"},
      {"the device prefix", [](RecordLayout& r) { r.destination = "\\\\.\\C:\\Apps\\Notes"; },
       "the destination folder '\\\\.\\C:\\Apps\\Notes' begins with '\\\\.\\', a form no "
       "installation writes"},
      {"a drive root with a dot", [](RecordLayout& r) { r.destination = "C:\\."; },
       "the destination folder 'C:\\.' is not written plainly (an empty, '.' or blank folder "
       "name)"},
      {"the system's folder", [](RecordLayout& r) { r.destination = "C:\\WINDOWS\\SYSTEM."; },
       "the destination folder 'C:\\WINDOWS\\SYSTEM.' is one of the system's folders"},
      {"the Start Menu's Programs",
       [](RecordLayout& r) { r.destination = "c:/windows/start menu/programs"; },
       "the destination folder 'c:/windows/start menu/programs' is one of the system's folders"},
      {"the Program Files folder", [](RecordLayout& r) { r.destination = "C:\\Program Files "; },
       "the destination folder 'C:\\Program Files ' is one of the system's folders"},
      {"a product's folder inside the Windows folder",
       [](RecordLayout& r) { r.destination = "C:\\WINDOWS\\Sample Notes"; }, ""},
      {"a destination typed with slashes and a dot",
       [](RecordLayout& r) { r.destination = "C:/Apps/Sample Notes."; }, ""},
      {"a Start Menu folder with slashes",
       [](RecordLayout& r) { r.startMenu = "C:/WINDOWS/Start Menu./Programs/Sample Notes"; }, ""},
      {"a Start Menu folder by its prefix",
       [](RecordLayout& r) { r.startMenu = "\\\\?\\C:\\WINDOWS\\Start Menu\\Programs\\X"; },
       "the Start Menu folder '\\\\?\\C:\\WINDOWS\\Start Menu\\Programs\\X' is not in the Start "
       "Menu"},
      {"an extra key that empties the list of programs",
       [](RecordLayout& r) {
         r.extras = {"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"};
       },
       "the extra 'HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall' "
       "is not a program's own key, nor one program's entry in a list the system shares"},
      {"a doubled backslash", [](RecordLayout& r) { r.destination = "C:\\\\WINDOWS"; },
       "the destination folder 'C:\\\\WINDOWS' is absolute"},
      {"a relative destination", [](RecordLayout& r) { r.destination = "Sample Notes"; },
       "the destination folder 'Sample Notes' is not a full path with a drive"},
      {"a drive-relative destination", [](RecordLayout& r) { r.destination = "C:Notes"; },
       "the destination folder 'C:Notes' is not a full path"},
      {"a Start Menu folder elsewhere", [](RecordLayout& r) { r.startMenu = "C:\\Apps"; },
       "the Start Menu folder 'C:\\Apps' is not in the Start Menu"},
      {"a Start Menu folder that climbs out",
       [](RecordLayout& r) { r.startMenu = "C:\\WINDOWS\\Start Menu\\..\\SYSTEM"; },
       "the Start Menu folder 'C:\\WINDOWS\\Start Menu\\..\\SYSTEM' climbs out of its folder "
       "with '..'"},
      {"choices out of range", [](RecordLayout& r) { r.choices = 4; },
       "its shortcut choices are coded 4, not 0 to 3"},
      {"a file that climbs out", [](RecordLayout& r) { r.files.push_back("..\\WIN.INI"); },
       "the file name '..\\WIN.INI' climbs out of its folder with '..'"},
      {"an absolute file", [](RecordLayout& r) { r.files.push_back("\\AUTOEXEC.BAT"); },
       "the file name '\\AUTOEXEC.BAT' is absolute"},
      {"a file on a drive", [](RecordLayout& r) { r.files.push_back("D:\\Data.db"); },
       "the file name 'D:\\Data.db' names a drive"},
      {"an empty file name", [](RecordLayout& r) { r.files.push_back(""); },
       "the file name '' is empty"},
      {"a link that climbs out", [](RecordLayout& r) { r.shortcuts.push_back({"..\\..\\x.lnk", 1}); },
       "the shortcut name '..\\..\\x.lnk' climbs out of its folder with '..'"},
      {"an extra file that climbs out", [](RecordLayout& r) { r.extras = {"..\\Other\\a.ini"}; },
       "the extra '..\\Other\\a.ini' climbs out of its folder with '..'"},
      {"an extra key too high", [](RecordLayout& r) { r.extras = {"HKEY_LOCAL_MACHINE\\SOFTWARE"}; },
       "the extra 'HKEY_LOCAL_MACHINE\\SOFTWARE' is less than two levels below its hive"},
  };
  for (const auto& c : cases) {
    RecordLayout layout;
    c.change(layout);
    EXPECT_EQ(UninstallRecordProblem(layout.Record(), "C:\\WINDOWS"), c.problem) << c.what;
  }
  RecordLayout above;
  above.destination = "C:\\OS";
  above.startMenu = "C:\\OS\\WIN98\\Start Menu\\Programs\\Sample Notes";
  EXPECT_EQ(UninstallRecordProblem(above.Record(), "C:\\OS\\WIN98"),
            "the destination folder 'C:\\OS' holds the Windows folder");
}

std::vector<std::string> Describe(const std::vector<RemovalStep>& plan) {
  static const char* const kKinds[] = {"file", "tree", "record", "folder", "key"};
  std::vector<std::string> lines;
  for (const RemovalStep& step : plan) {
    std::string line = kKinds[static_cast<int>(step.kind)] + std::string(" ");
    if (step.kind == RemovalKind::RegistryTree || step.kind == RemovalKind::UninstallKey) {
      line += step.hive == RegistryHive::CurrentUser ? "HKCU\\" : "HKLM\\";
    }
    lines.push_back(line + step.path);
  }
  return lines;
}

TEST(PlanRemoval, FilesLinksExtrasRecordFoldersThenTheKey) {
  TestSystem system;
  RecordLayout layout;
  layout.extras = {"HKEY_CURRENT_USER\\Software\\Tavrin\\Sample Notes", "Notes.bak"};
  layout.shortcuts = {{"Read Me.lnk", 0}, {"Notes.lnk", 2}, {"Help.lnk", 1}, {"Odd.lnk", 7}};
  const std::string record = "C:\\Apps\\Sample Notes\\Uninstall.qsu";
  const std::vector<std::string> expected = {
      "file C:\\Apps\\Sample Notes\\Readme.txt",
      "file C:\\Apps\\Sample Notes\\Notes.txt",
      "file C:\\WINDOWS\\Start Menu\\Programs\\Sample Notes\\Read Me.lnk",
      "file C:\\WINDOWS\\Desktop\\Read Me.lnk",
      "file C:\\WINDOWS\\Desktop\\Notes.lnk",
      "file C:\\WINDOWS\\Start Menu\\Programs\\Sample Notes\\Help.lnk",
      "tree HKCU\\Software\\Tavrin\\Sample Notes",
      "file C:\\Apps\\Sample Notes\\Notes.bak",
      "record C:\\Apps\\Sample Notes\\Uninstall.qsu",
      "folder C:\\WINDOWS\\Start Menu\\Programs\\Sample Notes",
      "folder C:\\Apps\\Sample Notes",
      "key HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Sample Notes",
  };
  EXPECT_EQ(Describe(PlanRemoval(layout.Record(), record, "C:\\WINDOWS")), expected);
}

TEST(PlanRemoval, LinksOnlyWhereTheChoicesMadeThem) {
  TestSystem system;
  const struct {
    unsigned choices;
    std::vector<std::string> links;
    bool startMenuFolder;
  } cases[] = {
      {0, {"SM Both", "DT Both", "SM Menu", "DT Desk"}, true},
      {1, {"SM Both", "SM Menu"}, true},
      {2, {"DT Both", "DT Desk"}, false},
      {3, {}, false},
  };
  for (const auto& c : cases) {
    RecordLayout layout;
    layout.files = {};
    layout.choices = c.choices;
    layout.shortcuts = {{"Both", 0}, {"Menu", 1}, {"Desk", 2}, {"None", 3}};
    std::vector<std::string> links;
    bool startMenuFolder = false;
    for (const RemovalStep& step : PlanRemoval(layout.Record(), "C:\\R.qsu", "C:\\WINDOWS")) {
      if (step.kind == RemovalKind::File) {
        const bool desktop = step.path.rfind("C:\\WINDOWS\\Desktop\\", 0) == 0;
        links.push_back((desktop ? "DT " : "SM ") + step.path.substr(step.path.rfind('\\') + 1));
      }
      startMenuFolder |= step.kind == RemovalKind::FolderIfEmpty && step.path == layout.startMenu;
    }
    EXPECT_EQ(links, c.links) << "choices " << c.choices;
    EXPECT_EQ(startMenuFolder, c.startMenuFolder) << "choices " << c.choices;
  }
}

TEST(PlanRemoval, NeverTheStartMenuItselfNorItsPrograms) {
  TestSystem system;
  for (const char* folder : {"C:\\WINDOWS\\Start Menu\\", "C:\\WINDOWS\\Start Menu\\Programs",
                             "C:\\WINDOWS\\Start Menu\\programs\\",
                             "C:\\WINDOWS\\Start Menu\\Programs\\StartUp",
                             "C:/WINDOWS/Start Menu/Programs."}) {
    RecordLayout layout;
    layout.startMenu = folder;
    for (const RemovalStep& step : PlanRemoval(layout.Record(), "C:\\R.qsu", "C:\\WINDOWS")) {
      EXPECT_FALSE(step.kind == RemovalKind::FolderIfEmpty &&
                   step.path.rfind("C:\\WINDOWS\\Start Menu", 0) == 0)
          << folder;
    }
  }
}

// The removal acts on the plain form that was checked.
TEST(PlanRemoval, RemovesByThePlainForm) {
  TestSystem system;
  RecordLayout layout;
  layout.destination = "C:/Apps/Sample Notes.";
  layout.files = {"Readme.txt.", "Sub/Notes.txt"};
  layout.extras = {"Cache /Index.dat "};
  layout.startMenu = "C:/WINDOWS/Start Menu/Programs/Sample Notes ";
  layout.shortcuts = {{"Read Me.lnk.", 0}};
  const std::vector<std::string> expected = {
      "file C:\\Apps\\Sample Notes\\Readme.txt",
      "file C:\\Apps\\Sample Notes\\Sub\\Notes.txt",
      "file C:\\WINDOWS\\Start Menu\\Programs\\Sample Notes\\Read Me.lnk",
      "file C:\\WINDOWS\\Desktop\\Read Me.lnk",
      "file C:\\Apps\\Sample Notes\\Cache\\Index.dat",
      "record C:\\Apps\\Sample Notes\\Uninstall.qsu",
      "folder C:\\WINDOWS\\Start Menu\\Programs\\Sample Notes",
      "folder C:\\Apps\\Sample Notes",
      "key HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Sample Notes",
  };
  ASSERT_EQ(UninstallRecordProblem(layout.Record(), "C:\\WINDOWS"), "");
  EXPECT_EQ(Describe(PlanRemoval(layout.Record(), "C:\\Apps\\Sample Notes\\Uninstall.qsu",
                                 "C:\\WINDOWS")),
            expected);
}

}  // namespace
}  // namespace qinstall
