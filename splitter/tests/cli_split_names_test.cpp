// parcelo95 split and the names it meets: another file's 8.3 name, paths written as aliases,
// a source name too long for its join file's name, DOS device names.
#include <filesystem>
#include <string>

#include "cli_run.h"

namespace parcelo {
namespace {
namespace fs = std::filesystem;

using CliSplitNames = CliTest;

const char kNoReminders[] = "--set=NoReminders=1";

TEST_F(CliSplitNames, NoFileIsWrittenThroughAnotherFilesShortName) {
  // "Holiday Photos.000" answers to HOLIDA~1.000, the name of the first piece of
  // "Holiday Video.avi"; writing that piece would overwrite the photos.
  const struct {
    const char* what;
    const char* folder;  // where the photos lie
    std::vector<std::string> extra;
    int status;
    std::string err;
    std::vector<std::string> out;
  } cases[] = {
      {"a piece", "Out", {}, 1,
       "Error creating destination file.\nDrive may be full.\nReason: \"HOLIDA~1.000\" is the "
       "8.3 name of another file, \"Holiday Photos.000\".\n(no terminal to ask: answered "
       "Cancel)\n",
       {"Holiday Photos.000"}},
      {"a backup piece", "Backup", {"--backup", "Backup"}, 0,
       "Error creating backup of destination file. Backups have been disabled.\nReason: "
       "\"HOLIDA~1.000\" is the 8.3 name of another file, \"Holiday Photos.000\".\n",
       {"HOLIDA~1.000", "HOLIDA~1.001", "HOLIDA~1.002", "HOLIDA~1.SFV",
        "Join-Holiday Video.avi.bat"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(Path("Out"));
    fs::remove_all(Path("Backup"));
    MakeFolder("Out");
    MakeFolder("Backup");
    const std::string video = MakeFile("b/Holiday Video.avi", 2500);
    Write(std::string(c.folder) + "/Holiday Photos.000", "the photos' first piece");
    const auto before = Snapshot(Path(c.folder));

    std::vector<std::string> arguments = {"split", "b/Holiday Video.avi", "Out", "--size", "1000",
                                          kNoReminders};
    arguments.insert(arguments.end(), c.extra.begin(), c.extra.end());
    const CliResult result = Run(arguments);
    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(result.err, c.err);
    EXPECT_EQ(List("Out"), c.out);
    if (std::string(c.folder) != "Out") {
      EXPECT_EQ(Snapshot(Path(c.folder)), before) << "the backup folder is left as it was";
    } else {
      EXPECT_EQ(Read("Out/Holiday Photos.000"), "the photos' first piece");
    }
    EXPECT_EQ(Read("b/Holiday Video.avi"), video);
  }
}

TEST_F(CliSplitNames, PathsOnTheCommandLineMeanJustThosePaths) {
  // The 8.3 names are the tool's own, for the files it writes and reads in a folder; a path
  // that the shell passes names that path, not another file that answers to it.
  MakeFile("b/Holiday Video.avi", 2500);
  MakeFile("SRC.DAT", 2500);
  MakeFolder("My Folder Long");
  MakeFolder("Out");
  ASSERT_EQ(Run({"options"}).status, 0);  // the settings file exists before the snapshot
  const auto before = Snapshot(dir_);
  const struct {
    std::vector<std::string> arguments;
    const char* err;
  } cases[] = {
      {{"split", "SRC.DAT", "MYFOLD~1", "--size", "1000"}, "Destination folder not found.\n"},
      {{"split", "SRC.DAT", "my folder long", "--size", "1000"},
       "Destination folder not found.\n"},
      {{"split", "b/HOLIDA~1.AVI", "Out", "--size", "1000"}, "Source file not found.\n"},
      {{"split", "src.dat", "Out", "--size", "1000"}, "Source file not found.\n"},
      {{"split", "SRC.DAT", "Out", "--size", "1000", "--backup", "MYFOLD~1"},
       "Directory not found.\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments[2]);
    const CliResult result = Run(c.arguments);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, c.err);
    EXPECT_EQ(Snapshot(dir_), before);
  }
  // Paths that are there get the true reason: a folder is no source, and a backslash,
  // which is part of a Linux name, ends a DOS one.
  MakeFolder("Folder.bin");
  MakeFile("a\\b.bin", 2500);
  shortNames_ = false;
  MakeFolder("o\\ut");
  const auto withOdd = Snapshot(dir_);
  const struct {
    std::vector<std::string> arguments;
    std::string err;
  } there[] = {
      {{"split", "Folder.bin", "Out", "--size", "1000"},
       "Cannot split Folder.bin: it is a folder, not a regular file.\n"},
      {{"split", "a\\b.bin", "Out", "--size", "1000"},
       "a\\b.bin cannot be reached by a DOS path: a name in it holds a \\, which DOS and "
       "Windows read as a folder separator, and has no 8.3 name.\n"},
      {{"split", "SRC.DAT", "o\\ut", "--size", "1000"},
       "o\\ut cannot be reached by a DOS path: a name in it holds a \\, which DOS and "
       "Windows read as a folder separator, and has no 8.3 name.\n"},
      {{"split", "SRC.DAT", "Out", "--size", "1000", "--backup", "o\\ut"},
       "o\\ut cannot be reached by a DOS path: a name in it holds a \\, which DOS and "
       "Windows read as a folder separator, and has no 8.3 name.\n"},
  };
  for (const auto& c : there) {
    SCOPED_TRACE(c.arguments[1] + " " + c.arguments[2]);
    const CliResult result = Run(c.arguments);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, c.err);
    EXPECT_EQ(Snapshot(dir_), withOdd);
  }
  // With 8.3 names such a path is reached by them: the folders take the run, and the
  // source is refused for its name, as any source whose name Windows cannot hold.
  shortNames_ = true;
  CliResult result = Run({"split", "a\\b.bin", "Out", "--size", "1000"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err.rfind("The source file's name holds a character", 0), 0u) << result.err;
  const std::vector<std::string> pieces = {"Join-SRC.DAT.bat", "SRC.000", "SRC.001", "SRC.002",
                                           "SRC.SFV"};
  result = Run({"split", "SRC.DAT", "o\\ut", "--size", "1000", kNoReminders});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(List("o\\ut"), pieces);
  fs::remove_all(Path("o\\ut"));
  MakeFolder("o\\ut");
  result = Run({"split", "SRC.DAT", "Out", "--size", "1000", "--backup", "o\\ut", kNoReminders});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(List("o\\ut"), pieces);
  for (const std::string& name : pieces) fs::remove(Path("Out/" + name));
  fs::remove_all(Path("o\\ut"));
  fs::remove_all(Path("Folder.bin"));
  fs::remove(Path("a\\b.bin"));

  // A folder that has that very name is that folder.
  MakeFolder("MYFOLD~1");
  ASSERT_EQ(Run({"split", "SRC.DAT", "MYFOLD~1", "--size", "1000", kNoReminders}).status, 0);
  EXPECT_EQ(List("MYFOLD~1"), (std::vector<std::string>{"Join-SRC.DAT.bat", "SRC.000", "SRC.001",
                                                        "SRC.002", "SRC.SFV"}));
  EXPECT_TRUE(List("My Folder Long").empty());
}

TEST_F(CliSplitNames, AJoinFileNameTooLongForAFileFallsBackToThe83Name) {
  // Join-<name>.bat holds 9 bytes more than the name; 255 is the longest name here.
  const struct {
    std::size_t length;
    const char* join;  // nullptr: Join-<name>.bat
  } cases[] = {{246, nullptr}, {247, "Join-XXXXXX~1.BIN.bat"}, {251, "Join-XXXXXX~1.BIN.bat"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.length);
    fs::remove_all(Path("Data"));
    fs::remove_all(Path("Out"));
    MakeFolder("Out");
    const std::string name = std::string(c.length - 4, 'x') + ".bin";
    const std::string bytes = MakeFile("Data/" + name, 2500);
    const CliResult result = Run({"split", "Data/" + name, "Out", "--size", "1000", kNoReminders});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    const std::string join = c.join != nullptr ? c.join : "Join-" + name + ".bat";
    EXPECT_EQ(List("Out"), (std::vector<std::string>{join, "XXXXXX~1.000", "XXXXXX~1.001",
                                                     "XXXXXX~1.002", "XXXXXX~1.SFV"}));
    // One warning, before the first piece; the REN line cannot hold such a name either.
    const std::string warning =
        c.join != nullptr
            ? "The name \"" + name + "\" is too long for the join file's name and for DOS. "
                  "The join file is named \"" + join + "\" and rebuilds the file as XXXXXX~1.BIN.\n"
            : "The join file cannot give the rebuilt file its long name \"" + name +
                  "\": DOS would not read it back intact. The file will be rebuilt as "
                  "XXXXXX~1.BIN.\n";
    EXPECT_EQ(result.out, warning);

    const CliResult joined = Run({"join", "Out/" + join});
    ASSERT_EQ(joined.status, 0) << joined.err;
    EXPECT_EQ(Read("Out/XXXXXX~1.BIN"), bytes);
  }
}

TEST_F(CliSplitNames, DosDeviceNamesAreRefused) {
  // Their pieces and join file would reach the device: under DOS and Windows "NUL.000" and
  // "COPY /B ... aux.txt" are the devices, whatever the extension.
  MakeFolder("Out");
  for (const char* name : {"nul.bin", "aux.txt", "con", "prn.x", "COM1.dat", "lpt1", "Lpt9.tar.gz",
                           "CoN", "nul .txt"}) {
    SCOPED_TRACE(name);
    MakeFile(std::string("Data/") + name, 2500);
    const CliResult result = Run({"split", std::string("Data/") + name, "Out", "--size", "1000"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "The source file's name \"" + std::string(name) +
                              "\" is the name of a DOS device (CON, PRN, AUX, NUL, COM1 to COM9 "
                              "or LPT1 to LPT9, with or without an extension), which DOS and "
                              "Windows do not allow as a file name. Rename it before splitting.\n");
    EXPECT_TRUE(List("Out").empty());
  }
  // Names that only begin like one are files like any other.
  for (const char* name : {"com10.dat", "lpt0", "console.txt", "nul_.bin", "auxiliary", "COM.1"}) {
    SCOPED_TRACE(name);
    fs::remove_all(Path("Out"));
    MakeFolder("Out");
    MakeFile(std::string("Data/") + name, 2500);
    EXPECT_EQ(Run({"split", std::string("Data/") + name, "Out", "--size", "1000", kNoReminders}).status, 0);
    EXPECT_EQ(List("Out").size(), 5u);
  }
  EXPECT_EQ(List("Data").size(), 15u) << "every source stays";
}

}  // namespace
}  // namespace parcelo
