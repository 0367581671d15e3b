#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>

#include "package/load_install_package.h"
#include "package_bytes.h"
#include "test_system.h"
#include "tools/encode_package.h"
#include "tools/help_text.h"
#include "tools/manifest.h"
#include "tools/qsdtool.h"

namespace qinstall {
namespace {

const std::string kSamples = std::string(INSTALLER_SOURCE_DIR) + "/samples";

class QsdtoolTest : public ::testing::Test {
 protected:
  ~QsdtoolTest() override { ResetInstallPackage(); }

  int Run(const std::vector<std::string>& args) {
    out.str("");
    err.str("");
    return RunQsdtool(args, out, err);
  }

  TestSystem system;
  TempFolder folder;
  std::ostringstream out;
  std::ostringstream err;
};

TEST_F(QsdtoolTest, SampleRoundTripsEveryField) {
  Manifest manifest;
  ASSERT_EQ(ParseManifest(ReadFileBytes(kSamples + "/Install.manifest"), false, &manifest), 1);
  const std::string packed = folder.path() + "/Install.qsd";
  ASSERT_EQ(Run({"pack", kSamples + "/Install.manifest", "-o", packed}), 0) << err.str();
  EXPECT_EQ(err.str(), "");  // every listed file lies beside the manifest
  EXPECT_EQ(ReadFileBytes(packed), ReadFileBytes(kSamples + "/Install.qsd"))
      << "the committed sample Install.qsd is stale";
  ASSERT_EQ(Run({"check", packed}), 0) << err.str();

  ASSERT_EQ(LoadInstallPackage(packed), 1);
  const InstallPackage& want = manifest.package;
  const InstallPackage& got = Package();
  EXPECT_STREQ(got.productName, want.productName);
  EXPECT_STREQ(got.destinationFolder, want.destinationFolder);
  EXPECT_STREQ(got.startMenuFolder, want.startMenuFolder);
  ASSERT_EQ(got.files.size(), want.files.size());
  for (std::size_t i = 0; i < got.files.size(); ++i) {
    EXPECT_STREQ(got.files[i].name, want.files[i].name);
  }
  ASSERT_EQ(got.uninstallExtras.size(), want.uninstallExtras.size());
  for (std::size_t i = 0; i < got.uninstallExtras.size(); ++i) {
    EXPECT_STREQ(got.uninstallExtras[i].data(), want.uninstallExtras[i].data());
  }
  ASSERT_EQ(got.shortcuts.size(), want.shortcuts.size());
  for (std::size_t i = 0; i < got.shortcuts.size(); ++i) {
    EXPECT_STREQ(got.shortcuts[i].name, want.shortcuts[i].name);
    EXPECT_STREQ(got.shortcuts[i].target, want.shortcuts[i].target);
    EXPECT_STREQ(got.shortcuts[i].description, want.shortcuts[i].description);
    EXPECT_STREQ(got.shortcuts[i].iconLocation, want.shortcuts[i].iconLocation);
    EXPECT_EQ(got.shortcuts[i].placement, want.shortcuts[i].placement);
  }

  ASSERT_EQ(Run({"dump", packed, "--json"}), 0) << err.str();
  EXPECT_EQ(out.str(), ReadFileBytes(std::string(INSTALLER_SOURCE_DIR) + "/tests/sample_dump.json"));
}

// Each dumped string must stand at its offset in the file, followed by its terminator.
TEST_F(QsdtoolTest, TextDumpOffsetsPointAtTheFields) {
  const std::string path = kSamples + "/Install.qsd";
  const std::string bytes = ReadFileBytes(path) + "xyz";
  const std::string withTail = folder.Write("Install.qsd", bytes);
  ASSERT_EQ(Run({"dump", withTail}), 0) << err.str();
  std::istringstream lines(out.str());
  std::string line;
  std::getline(lines, line);
  EXPECT_EQ(line, "Install.qsd, " + std::to_string(bytes.size()) + " bytes");
  int strings = 0;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::size_t offset = 0;
    fields >> offset;
    const std::size_t quote = line.find('"');
    if (line.find("trailing bytes") != std::string::npos) {
      EXPECT_EQ(offset, bytes.size() - 3);
      EXPECT_NE(line.find(" 3 trailing bytes"), std::string::npos);
      continue;
    }
    if (quote == std::string::npos || line.find("magic") != std::string::npos) continue;
    const std::string value = line.substr(quote + 1, line.size() - quote - 2);
    ASSERT_LE(offset + value.size(), bytes.size()) << line;
    EXPECT_EQ(bytes.substr(offset, value.size() + 1), value + '\0') << line;
    ++strings;
  }
  EXPECT_EQ(strings, 16);
}

TEST_F(QsdtoolTest, RecordDumpsWithItsChoices) {
  const std::string record = folder.Write(
      "Uninstall.qsu", "QSU" + Byte(1) + Str("P\xE9") + U16(1) + Str("x\"y") + Str("C:\\P") +
                           U16(0) + Str("C:\\WINDOWS\\Start Menu\\P") + Byte(3) + U16(1) +
                           Str("P.lnk") + Byte(1));
  ASSERT_EQ(Run({"dump", "--json", record}), 0) << err.str();
  EXPECT_EQ(out.str(),
            "{\n"
            "  \"format\": \"Uninstall.qsu\",\n"
            "  \"productName\": \"P\\u00e9\",\n"
            "  \"uninstallExtras\": [\n    \"x\\\"y\"\n  ],\n"
            "  \"destinationFolder\": \"C:\\\\P\",\n"
            "  \"files\": [],\n"
            "  \"startMenuFolder\": \"C:\\\\WINDOWS\\\\Start Menu\\\\P\",\n"
            "  \"choices\": 3,\n"
            "  \"shortcuts\": [\n    {\"name\": \"P.lnk\", \"placement\": 1}\n  ]\n"
            "}\n");
  ASSERT_EQ(Run({"dump", record}), 0);
  EXPECT_NE(out.str().find("     4  productName                  \"P\\xe9\"\n"), std::string::npos)
      << out.str();
  EXPECT_NE(out.str().find("choices                      3 (no shortcuts)"), std::string::npos);
  EXPECT_EQ(Run({"check", record}), 0);
}

TEST_F(QsdtoolTest, CheckSaysWhereAndWhyALoadFails) {
  const std::string sample = ReadFileBytes(kSamples + "/Install.qsd");
  const std::string cut = folder.Write("cut.qsd", sample.substr(0, 60));
  EXPECT_EQ(Run({"check", cut}), 1);
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(err.str(), cut + ": does not load: at byte 60, in files[0].name (which begins at "
                             "byte 55): the file ends after 5 bytes of the string, before its "
                             "terminator\n");
  std::string longName = sample;
  longName.replace(4, 20, std::string(120, 'n'));
  EXPECT_EQ(Run({"dump", folder.Write("long.qsd", longName)}), 1);
  EXPECT_NE(err.str().find("at byte 104, in productName (which begins at byte 4): no "
                           "terminator within its 100 bytes (at most 99 characters fit)"),
            std::string::npos)
      << err.str();
  EXPECT_EQ(Run({"check", folder.path() + "/none.qsd"}), 1);
  EXPECT_EQ(err.str(), folder.path() + "/none.qsd: does not load: cannot be opened: No such file "
                                       "or directory\n");
}

// A failed call is told in the system's words, never as a bare code.
TEST_F(QsdtoolTest, FailedReadsGiveTheSystemsReason) {
  const std::string sample = folder.Write("sample.qsd", ReadFileBytes(kSamples + "/Install.qsd"));
  system.failReadCall = 7;  // ERROR_CRC, as a failing disk gives it (the first read is the magic)
  EXPECT_EQ(Run({"check", sample}), 1);
  EXPECT_EQ(err.str(), sample + ": does not load: at byte 7, in productName (which begins at "
                                "byte 4): a read failed: Input/output error\n");

  const std::string manifest = folder.Write("Install.manifest", "[product]\nname = P\n");
  system.readCalls = 0;
  system.failReadCall = 1;
  EXPECT_EQ(Run({"pack", manifest}), 1);
  EXPECT_EQ(err.str(), "qsdtool: cannot read " + manifest + ": Input/output error\n");
  EXPECT_FALSE(std::filesystem::exists(folder.path() + "/Install.qsd"));

  const std::string notAFolder = sample + "/Install.qsd";  // below a file
  EXPECT_EQ(Run({"check", notAFolder}), 1);
  EXPECT_EQ(err.str(), notAFolder + ": does not load: cannot be opened: Not a directory\n");
}

TEST_F(QsdtoolTest, WhatIsNoFileIsRefusedAtOnce) {
  // Reading a FIFO without a writer would wait for ever.
  const std::string fifo = folder.path() + "/Install.qsd";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
  const struct {
    std::vector<std::string> args;
    std::string message;
  } cases[] = {
      {{"check", fifo}, "qsdtool: " + fifo + ": a FIFO, not a file\n"},
      {{"dump", fifo}, "qsdtool: " + fifo + ": a FIFO, not a file\n"},
      {{"dump", "--json", fifo}, "qsdtool: " + fifo + ": a FIFO, not a file\n"},
      {{"pack", fifo}, "qsdtool: " + fifo + ": a FIFO, not a file\n"},
      {{"check", folder.path()}, "qsdtool: " + folder.path() + ": a folder, not a file\n"},
      {{"dump", "/dev/null"}, "qsdtool: /dev/null: a device, not a file\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args[0] + " " + c.args.back());
    EXPECT_EQ(Run(c.args), 1);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), c.message);
  }
}

// What a folder holds, by name: a file's bytes, or what else the entry is.
std::map<std::string, std::string> Entries(const std::string& path) {
  namespace fs = std::filesystem;
  std::map<std::string, std::string> entries;
  for (const auto& entry : fs::directory_iterator(path)) {
    const fs::file_status status = entry.symlink_status();
    std::string& what = entries[entry.path().filename().string()];
    if (fs::is_symlink(status)) {
      what = "<link to " + fs::read_symlink(entry.path()).string() + ">";
    } else if (fs::is_regular_file(status)) {
      what = ReadFileBytes(entry.path().string());
    } else {
      what = fs::is_directory(status) ? "<folder>" : fs::is_fifo(status) ? "<fifo>" : "<other>";
    }
  }
  return entries;
}

// An output that is no regular file is refused before anything is opened or written: a
// FIFO would wait for a reader for ever, and whatever was there stays.
TEST_F(QsdtoolTest, PackRefusesAnOutputThatIsNoFile) {
  const std::string manifest =
      folder.Write("Install.manifest", "[product]\nname = P\n[files]\nReadme.txt\n");
  folder.Write("Readme.txt", "read me");
  folder.Write("target.qsd", "an earlier package");
  const std::string base = folder.path() + "/";
  ASSERT_EQ(mkfifo((base + "fifo").c_str(), 0644), 0);
  std::filesystem::create_directory(base + "empty");
  std::filesystem::create_symlink("target.qsd", base + "link.qsd");
  const auto before = Entries(folder.path());
  const struct {
    std::string output;
    std::string message;
  } cases[] = {
      {base + "fifo", "qsdtool: " + base + "fifo: a FIFO, not a file\n"},
      {base + "empty", "qsdtool: " + base + "empty: a folder, not a file\n"},
      {base + "empty/", "qsdtool: " + base + "empty/: a folder, not a file\n"},
      {"/dev/null", "qsdtool: /dev/null: a device, not a file\n"},
      {base + "link.qsd", "qsdtool: " + base + "link.qsd: a symbolic link, not a file\n"},
      {base + "none/Install.qsd",
       "qsdtool: cannot write " + base + "none/Install.qsd: No such file or directory\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.output);
    EXPECT_EQ(Run({"pack", manifest, "-o", c.output}), 1);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), c.message);
    EXPECT_EQ(Entries(folder.path()), before);
  }
  EXPECT_EQ(Entries(base + "empty"), (std::map<std::string, std::string>{}));
}

// The output replaces an earlier file whole, keeps its permissions, and leaves nothing else.
TEST_F(QsdtoolTest, PackReplacesAnEarlierOutputWhole) {
  const std::string manifest = folder.Write("Install.manifest", "[product]\nname = P\n");
  const std::string output = folder.Write("Install.qsd", std::string(5000, 'o'));
  ASSERT_EQ(chmod(output.c_str(), 0640), 0);
  ASSERT_EQ(Run({"pack", manifest}), 0) << err.str();
  const std::string packed = PackageStart("P", "") + U16(0) + U16(0) + Str("") + U16(0);
  EXPECT_EQ(Entries(folder.path()),
            (std::map<std::string, std::string>{{"Install.manifest", "[product]\nname = P\n"},
                                                {"Install.qsd", packed}}));
  struct stat info;
  ASSERT_EQ(stat(output.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
}

TEST_F(QsdtoolTest, CheckNamesAnEntryThatWouldLeaveItsFolder) {
  const std::string start = PackageStart() + U16(2) + Str("Readme.txt");
  const std::string package =
      folder.Write("Install.qsd", start + Str("..\\AUTOEXEC.BAT") + U16(0) + Str("") + U16(0));
  EXPECT_EQ(Run({"check", package}), 1);
  EXPECT_EQ(err.str(), package + ": does not load: at byte " + std::to_string(start.size() + 16) +
                           ", in files[1].name (which begins at byte " +
                           std::to_string(start.size()) +
                           "): the name \"..\\AUTOEXEC.BAT\" would reach outside its folder: "
                           "it has a \"..\" level\n");
}

TEST_F(QsdtoolTest, CheckFailsWhatTheUninstallerWouldRefuse) {
  const std::string package = folder.Write(
      "Install.qsd", PackageStart() + U16(0) + U16(2) + Str("Notes.bak") +
                         Str("HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet") + Str("") + U16(0));
  EXPECT_EQ(Run({"check", package}), 1);
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(err.str(), package + ": loads, but the uninstaller would refuse it: "
                                 "uninstallExtras[1] 'HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet'"
                                 " is not below Software; the system keeps its own settings there\n");
  EXPECT_EQ(Run({"dump", package}), 0);  // dump shows it all the same

  const std::string start = "QSU" + Byte(1) + Str("P") + U16(0);
  const std::string end = U16(0) + Str("D:\\W\\Start Menu\\Programs\\P") + Byte(1) + U16(0);
  EXPECT_EQ(Run({"check", folder.Write("ok.qsu", start + Str("D:\\P") + end)}), 0) << err.str();
  const std::string windows = folder.Write("w.qsu", start + Str("d:\\w\\") + end);
  EXPECT_EQ(Run({"check", windows}), 1);
  EXPECT_EQ(err.str(), windows + ": loads, but the uninstaller would refuse it: the destination "
                                 "folder 'd:\\w\\' is the Windows folder\n");
}

// pack, check and the uninstaller apply one rule: a program's own entry in the system's
// list of programs is an extra they accept, the list itself one they refuse.
TEST_F(QsdtoolTest, PackAndCheckApplyTheUninstallersKeyRule) {
  const std::string list = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
  const std::string manifest = folder.Write(
      "Install.manifest", "[product]\nname = P\n[extras]\n" + list + "\\P\n" + list + "\n");
  EXPECT_EQ(Run({"pack", manifest}), 1);
  EXPECT_EQ(err.str(), manifest + ":5: error: registry key " + list +
                           " is not a program's own key, nor one program's entry in a list the "
                           "system shares; the uninstaller would refuse to remove the product\n"
                           "qsdtool: 1 error, nothing written\n");
  EXPECT_FALSE(std::filesystem::exists(folder.path() + "/Install.qsd"));

  const std::string start = PackageStart() + U16(0) + U16(1);
  const std::string own = folder.Write("own.qsd", start + Str(list + "\\P") + Str("") + U16(0));
  EXPECT_EQ(Run({"check", own}), 0) << err.str();
  const std::string whole = folder.Write("whole.qsd", start + Str(list) + Str("") + U16(0));
  EXPECT_EQ(Run({"check", whole}), 1);
  EXPECT_EQ(err.str(), whole + ": loads, but the uninstaller would refuse it: uninstallExtras[0] '" +
                           list + "' is not a program's own key, nor one program's entry in a "
                           "list the system shares\n");

  // A record's destination is judged on its plain form, as the uninstaller judges it.
  const std::string record = "QSU" + Byte(1) + Str("P") + U16(0);
  const std::string end = U16(0) + Str("C:\\WINDOWS\\Start Menu\\Programs\\P") + Byte(1) + U16(0);
  for (const std::string destination : {"C:/windows", "C:\\WINDOWS.", "\\\\?\\C:\\WINDOWS"}) {
    const std::string path = folder.Write("r.qsu", record + Str(destination) + end);
    EXPECT_EQ(Run({"check", path}), 1) << destination;
    EXPECT_EQ(err.str().rfind(path + ": loads, but the uninstaller would refuse it: the destination "
                                     "folder '" + destination + "' ",
                              0),
              0u)
        << err.str();
  }
}

TEST_F(QsdtoolTest, PackReportsEveryProblemAndWritesNothingOnError) {
  const std::string manifest = folder.Write(
      "bad.manifest",
      "[product]\nname = P\n[files]\nmissing.txt\n..\\up.txt\n[shortcut]\nname = n\n"
      "target = t\nplacement = 4\n");
  EXPECT_EQ(Run({"pack", manifest}), 1);
  EXPECT_EQ(err.str(),
            manifest + ":5: error: file name ..\\up.txt climbs out of the destination folder "
                       "with ..\n" +
                manifest + ":9: error: placement 4 makes no shortcut file; use 0 to 2, or "
                           "--force to keep it\n" +
                manifest + ":4: warning: missing.txt is not beside the manifest\n"
                           "qsdtool: 2 errors, nothing written\n");
  EXPECT_FALSE(std::filesystem::exists(folder.path() + "/Install.qsd"));

  const std::string good =
      folder.Write("good.manifest", "[product]\nname = P\n[files]\nmissing.txt\n");
  EXPECT_EQ(Run({"pack", good}), 0);
  EXPECT_EQ(err.str(), good + ":4: warning: missing.txt is not beside the manifest\n");
  EXPECT_EQ(ReadFileBytes(folder.path() + "/Install.qsd"),
            PackageStart("P", "") + U16(1) + Str("missing.txt") + U16(0) + Str("") + U16(0));
}

// pack refuses an output that is one of its inputs, by whatever name it is reached, and
// leaves every file as it was.
TEST_F(QsdtoolTest, PackNeverWritesOverItsOwnInputs) {
  const std::string text = "[product]\nname = P\n[files]\nReadme.txt\n";
  const std::string manifest = folder.Write("Install.manifest", text);
  const std::string readme = folder.Write("Readme.txt", "read me");
  const std::string asPackage = folder.Write("Install.qsd", text);  // a manifest so named
  const std::string linked = folder.path() + "/linked.txt";
  ASSERT_EQ(link(readme.c_str(), linked.c_str()), 0);
  const auto before = Entries(folder.path());
  const struct {
    std::vector<std::string> args;
    std::string message;
  } cases[] = {
      {{"pack", manifest, "-o", manifest},
       manifest + ": error: the output " + manifest +
           " is the manifest itself; packing would write over it\n"},
      {{"pack", asPackage},
       asPackage + ": error: the output " + asPackage +
           " is the manifest itself; packing would write over it\n"},
      {{"pack", manifest, "-o", readme},
       manifest + ":4: error: file name Readme.txt is the output " + readme +
           "; packing would write over it\n"},
      {{"pack", manifest, "-o", linked},
       manifest + ":4: error: file name Readme.txt is the output " + linked +
           "; packing would write over it\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args[1] + " " + c.args.back());
    EXPECT_EQ(Run(c.args), 1);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), c.message + "qsdtool: 1 error, nothing written\n");
    EXPECT_EQ(Entries(folder.path()), before);
  }
}

// A package whose uninstall record the uninstaller would refuse could never be removed:
// pack refuses it at its line, check refuses the package.
TEST_F(QsdtoolTest, PackAndCheckRefuseWhatCouldNeverBeRemoved) {
  const std::string kProduct = "[product]\nname = P\n";
  const std::string refusal = "; the uninstaller would refuse to remove the product\n";
  const struct {
    std::string manifest;
    std::string packIssue;
    std::string name;
    std::string startMenu;
    std::string shortcut;
    std::string checkIssue;
  } cases[] = {
      {"[product]\nname = Tavrin\\Tool\n", "2: error: product name Tavrin\\Tool holds a backslash",
       "Tavrin\\Tool", "", "", "the product name 'Tavrin\\Tool' holds a backslash"},
      {kProduct + "[start menu]\nfolder = Programs\\..\\..\n",
       "4: error: Start Menu folder Programs\\..\\.. climbs out of its folder with '..'", "P",
       "Programs\\..\\..", "",
       "the Start Menu folder 'Programs\\..\\..' climbs out of its folder with '..'"},
      {kProduct + "[start menu]\nfolder = Programs\\\\Tool\n",
       "4: error: Start Menu folder Programs\\\\Tool is not written plainly (an empty, '.' or "
       "blank folder name)",
       "P", "Programs\\\\Tool", "",
       "the Start Menu folder 'Programs\\\\Tool' is not written plainly (an empty, '.' or blank "
       "folder name)"},
      {kProduct + "[shortcut]\ntarget = t\nname =\n", "5: error: shortcut name  is empty", "P", "",
       "", "the shortcut name '' is empty"},
      {kProduct + "[shortcut]\ntarget = t\nname = *.lnk\n",
       "5: error: shortcut name *.lnk holds a wildcard", "P", "", "*.lnk",
       "the shortcut name '*.lnk' holds a wildcard"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.packIssue);
    const std::string manifest = folder.Write("Install.manifest", c.manifest);
    EXPECT_EQ(Run({"pack", manifest}), 1);
    EXPECT_EQ(err.str(), manifest + ":" + c.packIssue + refusal.substr(0, refusal.size() - 1) +
                             "\nqsdtool: 1 error, nothing written\n");
    EXPECT_FALSE(std::filesystem::exists(folder.path() + "/Install.qsd"));

    const std::string shortcuts =
        c.manifest.find("[shortcut]") == std::string::npos
            ? U16(0)
            : U16(1) + Str(c.shortcut) + Str("t") + Str("") + Str("") + Byte(0);
    const std::string package = folder.Write(
        "made.qsd", PackageStart(c.name) + U16(0) + U16(0) + Str(c.startMenu) + shortcuts);
    EXPECT_EQ(Run({"check", package}), 1);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), package + ": loads, but the uninstaller would refuse it: " +
                             c.checkIssue + "\n");
  }
}

// Names, extras and headers from a hostile file never reach the terminal as control
// characters: they are escaped as dump escapes them.
TEST_F(QsdtoolTest, CheckAndPackEscapeControlCharacters) {
  const std::string manifest = folder.Write(
      "Install.manifest", "[product]\nname = P\x07\n[\x1b]0;owned\x07]\n[files]\nRead\x1b[2Jme.txt\n");
  EXPECT_EQ(Run({"pack", manifest}), 1);
  EXPECT_EQ(err.str(),
            manifest + ":3: error: unknown section [\\x1b]0;owned\\x07]; the sections are "
                       "[product], [files], [extras], [start menu] and [shortcut]\n" +
                manifest + ":5: warning: Read\\x1b[2Jme.txt is not beside the manifest\n"
                           "qsdtool: 1 error, nothing written\n");

  const std::string extras =
      folder.Write("extras.qsd", PackageStart("P\x1b[5m") + U16(0) + U16(1) +
                                     Str("\\\x1b]2;title\x07") + Str("") + U16(0));
  EXPECT_EQ(Run({"check", extras}), 1);
  EXPECT_EQ(err.str(), extras + ": loads, but the uninstaller would refuse it: uninstallExtras[0] "
                                "'\\\\x1b]2;title\\x07' is absolute\n");

  const std::string named = folder.Write("\x1b[31mred\r.qsd", PackageStart() + U16(0) + U16(0) +
                                                                  Str("") + U16(0));
  const std::string shown = folder.path() + "/\\x1b[31mred\\x0d.qsd";
  EXPECT_EQ(Run({"check", named}), 0) << err.str();
  EXPECT_EQ(out.str(), shown + ": loads as Install.qsd: 0 files, 0 extras, 0 shortcuts, 30 of 30 "
                               "bytes read\n");
  EXPECT_EQ(Run({"check", named + "\x07"}), 1);
  EXPECT_EQ(err.str(), shown + "\\x07: does not load: cannot be opened: No such file or "
                               "directory\n");
}

// Windows 98's Add/Remove Programs lists no product name longer than 63 characters: pack
// and check say so, and still pack and pass it.
TEST_F(QsdtoolTest, PackAndCheckWarnOfANameTooLongForTheListOfPrograms) {
  const std::string warning =
      "warning: product name is 64 characters long; Windows 98's Add/Remove Programs lists no "
      "name longer than 63, so the product could not be removed from the Control Panel\n";
  for (const std::size_t length : {63u, 64u}) {
    SCOPED_TRACE(length);
    const std::string name(length, 'n');
    const std::string manifest =
        folder.Write("Install.manifest", "[product]\nname = " + name + "\n");
    ASSERT_EQ(Run({"pack", manifest}), 0);
    EXPECT_EQ(err.str(), length == 63 ? "" : manifest + ":2: " + warning);
    const std::string package = folder.path() + "/Install.qsd";
    EXPECT_EQ(ReadFileBytes(package), PackageStart(name, "") + U16(0) + U16(0) + Str("") + U16(0));
    ASSERT_EQ(Run({"check", package}), 0);
    EXPECT_EQ(err.str(), length == 63 ? "" : package + ": " + warning);
    EXPECT_NE(out.str().find(": loads as Install.qsd"), std::string::npos);
  }
}

// Every step of writing the output can fail: each failure is told, the earlier package
// stays byte for byte, and no temporary file is left.
TEST_F(QsdtoolTest, PackKeepsTheEarlierPackageWhenAnyWriteStepFails) {
  const std::string manifest = folder.Write("Install.manifest", "[product]\nname = P\n");
  const std::string output = folder.Write("Install.qsd", "an earlier package");
  const auto before = Entries(folder.path());
  const struct {
    const char* operation;
    std::uint32_t error;
    const char* words;
  } cases[] = {
      {"CreateTemporaryBeside", kErrorAccessDenied, "Permission denied"},
      {"WriteFile", 112, "No space left on device"},
      {"FlushFile", 23, "Input/output error"},
      {"MoveOver", kErrorSharingViolation, "Device or resource busy"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.operation);
    system.faults.clear();
    system.operationCalls.clear();
    system.FailCall(c.operation, 1, c.error);
    EXPECT_EQ(Run({"pack", manifest}), 1);
    EXPECT_EQ(err.str(), "qsdtool: cannot write " + output + ": " + c.words + "\n");
    EXPECT_EQ(Entries(folder.path()), before);
    EXPECT_EQ(system.openFiles, 0);
  }
}

TEST_F(QsdtoolTest, UsageErrorsExitWithTwo) {
  const std::vector<std::vector<std::string>> cases = {
      {},          {"unpack", "x"},       {"pack"},          {"pack", "a", "b"},
      {"pack", "a", "-o"}, {"dump"}, {"dump", "a", "--xml"}, {"check", "a", "b"},
      {"check", "a", "--json"}};
  for (const auto& args : cases) {
    SCOPED_TRACE(args.empty() ? "" : args[0]);
    EXPECT_EQ(Run(args), 2);
    EXPECT_NE(err.str().find("usage: qsdtool pack"), std::string::npos);
  }
  EXPECT_EQ(Run({"--help"}), 0);
  EXPECT_EQ(out.str(), kQsdtoolHelp);
}

// The example in the help text is a manifest that packs.
TEST_F(QsdtoolTest, HelpExampleIsAValidManifest) {
  const std::string help = kQsdtoolHelp;
  const std::size_t start = help.find("\nExample\n");
  ASSERT_NE(start, std::string::npos);
  std::istringstream lines(help.substr(start + 9));
  std::string line, example;
  while (std::getline(lines, line)) example += (line.size() > 2 ? line.substr(2) : "") + "\n";
  Manifest manifest;
  EXPECT_EQ(ParseManifest(example, false, &manifest), 1);
  EXPECT_TRUE(manifest.issues.empty());
  EXPECT_STREQ(manifest.package.productName, "Sample Viewer");
  ASSERT_EQ(manifest.package.shortcuts.size(), 1u);
  EXPECT_STREQ(manifest.package.shortcuts[0].iconLocation, "Viewer.exe,0");
}

}  // namespace
}  // namespace qinstall
