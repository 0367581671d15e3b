// parcelo95 split and options, run as a user runs them.
#include <filesystem>
#include <map>
#include <set>

#include "cli_run.h"

namespace parcelo {
namespace {
namespace fs = std::filesystem;

const char kReminder[] = "Done.\n\nTo recombine the splitted files, make sure each piece";

using CliSplit = CliTest;

TEST_F(CliSplit, ArgumentErrorsAreUsageErrors) {
  MakeFile("SRC.DAT", 5000);
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"split"},
      {"split", "SRC.DAT"},
      {"split", "SRC.DAT", "--size", "1000", "--preset", "720KB"},
      {"split", "SRC.DAT", "--size", "1000", "--span"},
      {"split", "SRC.DAT", "--preset", "3MB"},
      {"split", "SRC.DAT", "--size", "1000", "--set", "Bogus=1"},
      {"split", "SRC.DAT", "--size", "1000", "--set", "MoreMem=2"},
      {"split", "SRC.DAT", "--size", "1000", "--set", "MoreMem"},
      {"split", "SRC.DAT", "--size", "1000", "--frobnicate"},
      {"split", "SRC.DAT", "--size", "1000", "--recovery", "0"},
      {"split", "SRC.DAT", "--size", "1000", "--recovery", "101"},
      {"split", "SRC.DAT", "--size", "1000", "--recovery", "ten"},
      {"split", "SRC.DAT", "a", "b", "--size", "1000"},
      {"options", "extra"},
      {"unknown"},
  };
  for (const auto& arguments : cases) {
    std::string line;
    for (const auto& a : arguments) line += a + " ";
    SCOPED_TRACE(line);
    const CliResult result = Run(arguments);
    EXPECT_EQ(result.status, 2) << result.err;
    EXPECT_FALSE(result.err.empty());
  }
  EXPECT_EQ(List(""), (std::vector<std::string>{"SRC.DAT", "config"}));
  EXPECT_EQ(Run({"--help"}).status, 0);
  const CliResult version = Run({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("parcelo95 ", 0), 0u);
}

TEST_F(CliSplit, RefusedRequestsSayTheMainDialogsWords) {
  MakeFile("SRC.DAT", 5000);
  MakeFolder("Out");
  Write("Out/plain", "x");
  Write("HUGE.DAT", "");
  fs::resize_file(Path("HUGE.DAT"), 0x100000000ull);  // sparse: 4 GB cost nothing
  const struct {
    std::vector<std::string> arguments;
    const char* text;
  } cases[] = {
      {{"--size=1 5"}, "Spaces aren't allowed before or between digits."},
      {{"--size= 15"}, "Spaces aren't allowed before or between digits."},
      {{"--size=-5"},
       "Invalid character(s) found in split size.\nCharacters other than digits or decimal "
       "points (.) are invalid."},
      {{"--size=2GB"},
       "Invalid character(s) found in split size.\nCharacters other than digits or decimal "
       "points (.) are invalid."},
      {{"--size=0"}, "Split size must be greater than 0."},
      {{"--size=.KB"}, "Split size must be greater than 0."},
      {{"--size=4096MB"}, "Split size is too big. It must be less than 4 GB."},
      {{"--size=4294967296"}, "Split size is too big. It must be less than 4 GB."},
      {{"--size=5000"}, "Splitting a file into only 1 piece is pointless."},
      {{"--size=4"}, "Split size is too small. Cannot split to more than 1,000 pieces."},
      {{"--size=5001"}, "Split size is greater than source file size."},
      {{"--size=1000", "Out/plain"}, "Destination isn't a folder. Please enter a folder path."},
      {{"--size=1000", "Nowhere"}, "Destination folder not found."},
      {{"--span", "Out"}, "Source file cannot be spanned to a directory."},
      {{"--span", "/"}, "Destination drive must be removable to span to it."},
      {{"--size=1000", "--backup", "Nowhere"}, "Directory not found."},
      {{"--size=1000", "--backup", "Out/plain"}, "Not a directory, directory must exist."},
  };
  for (const auto& c : cases) {
    std::vector<std::string> arguments = {"split", "SRC.DAT"};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    SCOPED_TRACE(c.arguments[0]);
    const CliResult result = Run(arguments);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, std::string(c.text) + "\n");
  }
  EXPECT_EQ(Run({"split", "NONE.DAT", "--size", "1000"}).err, "Source file not found.\n");
  // Counted in 64 bits: 4,295 pieces, not the 0 bytes of a 32-bit size.
  EXPECT_EQ(Run({"split", "HUGE.DAT", "--size", "1000000"}).err,
            "Split size is too small. Cannot split to more than 1,000 pieces.\n");
  EXPECT_EQ(List(""), (std::vector<std::string>{"HUGE.DAT", "Out", "SRC.DAT", "config"}));
  EXPECT_EQ(List("Out"), std::vector<std::string>{"plain"});
}

TEST_F(CliSplit, SizesAndPresetsGiveTheirPieces) {
  const std::string source = MakeFile("Data/BIGFILE.DAT", 3000000);
  MakeFolder("Out");
  const struct {
    std::vector<std::string> size;
    std::uint32_t pieceSize;
  } cases[] = {
      {{"--size", "1000000"}, 1000000},
      {{"--size", "1000000bytes"}, 1000000},
      {{"--size", "1.5MB"}, 1572864},
      {{"--size", "1464.5kb"}, 1499648},
      {{"--size", "1000000.9"}, 1000000},
      {{"--preset", "720KB"}, 729712},
      {{"--preset", "1.44mb"}, 1457264},
      {{"--preset", "2.88MB"}, 2621440},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.size[1]);
    fs::remove_all(Path("Out"));
    MakeFolder("Out");
    std::vector<std::string> arguments = {"split", "Data/BIGFILE.DAT", "Out"};
    arguments.insert(arguments.end(), c.size.begin(), c.size.end());
    const CliResult result = Run(arguments);
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find(kReminder), std::string::npos);
    EXPECT_TRUE(result.err.empty()) << "no progress without a terminal: " << result.err;
    const std::uint32_t count = (3000000 + c.pieceSize - 1) / c.pieceSize;
    std::string joined;
    for (std::uint32_t n = 0; n < count; ++n) {
      char name[32];
      std::snprintf(name, sizeof name, "Out/BIGFILE.%03u", n);
      joined += Read(name);
      if (n + 1 < count) {
        EXPECT_EQ(fs::file_size(Path(name)), c.pieceSize);
      }
    }
    EXPECT_TRUE(joined == source);
    EXPECT_EQ(List("Out").size(), count + 2);
    EXPECT_TRUE(Exists("Out/Join-BIGFILE.DAT.bat"));
    EXPECT_TRUE(Exists("Out/BIGFILE.SFV"));
  }
  // Without DEST the pieces go beside the source; --backup copies them.
  MakeFolder("Backup");
  ASSERT_EQ(Run({"split", "Data/BIGFILE.DAT", "--size", "1MB", "--backup", "Backup"}).status, 0);
  EXPECT_EQ(List("Data"), (std::vector<std::string>{"BIGFILE.000", "BIGFILE.001", "BIGFILE.002",
                                                    "BIGFILE.DAT", "BIGFILE.SFV",
                                                    "Join-BIGFILE.DAT.bat"}));
  EXPECT_EQ(List("Backup"), (std::vector<std::string>{"BIGFILE.000", "BIGFILE.001", "BIGFILE.002",
                                                      "BIGFILE.SFV", "Join-BIGFILE.DAT.bat"}));
  EXPECT_EQ(Read("Backup/BIGFILE.002"), Read("Data/BIGFILE.002"));
}

TEST_F(CliSplit, QuestionsTakeTheSafeAnswerUnlessYes) {
  MakeFile("SRC.DAT", 150000);
  MakeFolder("Out");
  const char kMany[] =
      "Warning: 150 is quite a large amount of pieces. This may take a very long while.\nAre "
      "you sure you want to procede?\n";
  CliResult result = Run({"split", "SRC.DAT", "Out", "--size", "1000"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, kMany);
  EXPECT_EQ(result.err, "(no terminal to ask: answered No)\n");
  EXPECT_TRUE(List("Out").empty());

  result = Run({"split", "SRC.DAT", "Out", "--size", "1000", "--yes", "--set", "DeletePrompt=1"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out.rfind(kMany, 0), 0u);
  EXPECT_NE(result.out.find("Finished splitting. Do you want to delete source file now?\n"),
            std::string::npos);
  EXPECT_EQ(List("Out").size(), 152u);
  EXPECT_FALSE(Exists("SRC.DAT")) << "Yes deletes the source";
  EXPECT_NE(Read("Out/Join-SRC.DAT.bat").find("\r\nDEL SRC.00_"), std::string::npos);

  // Splitting onto a removable drive asks first; the cautious answer writes nothing.
  MakeFile("SRC.DAT", 5000);
  MakeFolder("Stick");
  drives_ = Path("Stick");
  result = Run({"split", "SRC.DAT", "Stick", "--size", "2000", "--set", "DeletePrompt=1"});
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.out.find("You are splitting to a removable drive."), std::string::npos);
  EXPECT_TRUE(List("Stick").empty());
  result = Run({"split", "SRC.DAT", "Stick", "--size", "2000", "--yes", "--set", "NoReminders=1"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out.find(kReminder), std::string::npos);
  EXPECT_EQ(List("Stick").size(), 5u);
}

TEST_F(CliSplit, SpanningFillsEachDiskAndRetriesOnlyOnce) {
  const std::string source = MakeFile("Holiday Video.avi", 30000);
  MakeFolder("Floppy");
  MakeFolder("Backup");
  drives_ = Path("Floppy") + "=40000";
  CliResult result =
      Run({"split", "Holiday Video.avi", "Floppy", "--span", "--yes", "--backup", "Backup"});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out.rfind("Insert disk for piece 1\n", 0), 0u);
  EXPECT_EQ(List("Floppy"), (std::vector<std::string>{"HOLIDA~1.000", "HOLIDA~1.SFV",
                                                      "Join-Holiday Video.avi.bat"}));
  EXPECT_TRUE(Read("Floppy/HOLIDA~1.000") == source);
  EXPECT_TRUE(Read("Backup/HOLIDA~1.000") == source);

  // A disk too small: the second prompt finds the same full disk; --yes retries once.
  fs::remove_all(Path("Floppy"));
  MakeFolder("Floppy");
  drives_ = Path("Floppy") + "=20000";
  result = Run({"split", "Holiday Video.avi", "Floppy", "--span", "--yes"});
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.out.find("Insert disk for piece 2\n"), std::string::npos);
  EXPECT_NE(result.err.find("Not enough free space on disk. At least 2K is needed.\n"
                            "Not enough free space on disk. At least 2K is needed.\n"
                            "(asked again: answered Cancel)\n"),
            std::string::npos)
      << result.err;
  EXPECT_NE(result.out.find("BytesFree: 0\n"), std::string::npos);
  EXPECT_EQ(List("Floppy"), std::vector<std::string>{"HOLIDA~1.000"});
  EXPECT_EQ(fs::file_size(Path("Floppy/HOLIDA~1.000")), 20000u);
}

TEST_F(CliSplit, OptionsPersistAndSetOnSplitHoldForOneRun) {
  const char kDefaults[] =
      "Use DOS 8.3=0\nUseLongJoinBatName=1\nBackupPrompt=1\nDeletePrompt=0\nCloseWhenDone=1\n"
      "NoReminders=0\nMoreMem=0\nAlwaysOnTop=0\n";
  CliResult result = Run({"options"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, kDefaults);
  EXPECT_TRUE(Exists("config/parcelo95/registry.reg")) << "created on first use";

  result = Run({"options", "--set", "moremem=1", "--set", "Use DOS 8.3=1"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out.rfind("The \"Use DOS 8.3 format\" and \"Use source filename with join "
                             "filename\" options conflict.\nDOS 8.3 filenames will be used.\n",
                             0),
            0u);
  result = Run({"options"});
  EXPECT_EQ(result.out,
            "Use DOS 8.3=1\nUseLongJoinBatName=1\nBackupPrompt=1\nDeletePrompt=0\n"
            "CloseWhenDone=1\nNoReminders=0\nMoreMem=1\nAlwaysOnTop=0\n");

  // Stored "Use DOS 8.3" names the join file Join.bat; --set turns it off for one run.
  MakeFile("A.DAT", 3000);
  ASSERT_EQ(Run({"split", "A.DAT", "--size", "1000"}).status, 0);
  EXPECT_TRUE(Exists("Join.bat"));
  ASSERT_EQ(Run({"split", "A.DAT", "--size", "1000", "--set", "Use DOS 8.3=0"}).status, 0);
  EXPECT_TRUE(Exists("Join-A.DAT.bat"));
  EXPECT_EQ(Run({"options"}).out.substr(0, 14), "Use DOS 8.3=1\n");
  ASSERT_EQ(Run({"options", "--set", "Use DOS 8.3=0", "--set", "MoreMem=0"}).status, 0);
  EXPECT_EQ(Run({"options"}).out, kDefaults);
}

}  // namespace
TEST_F(CliSplit, SourcesSharingSixCharactersGetTheirOwnPieces) {
  // Split one after the other into their own folder: the second must not take the first's
  // alias base, whichever order the runs take.
  for (const bool videoFirst : {true, false}) {
    SCOPED_TRACE(videoFirst ? "video first" : "photos first");
    fs::remove_all(Path("Data"));
    const std::string video = MakeFile("Data/Holiday Video.avi", 2500);
    const std::string photos = MakeFile("Data/Holiday Photos.zip", 2500);
    const char* order[2] = {"Data/Holiday Video.avi", "Data/Holiday Photos.zip"};
    if (!videoFirst) std::swap(order[0], order[1]);
    for (const char* source : order) {
      ASSERT_EQ(Run({"split", source, "--size", "1000", "--yes"}).status, 0);
    }
    std::map<std::string, std::string> byBase;  // piece base -> its three pieces joined
    for (const std::string& name : List("Data")) {
      if (name.size() == 12 && name.compare(0, 7, "HOLIDA~") == 0 && name.substr(9) != "SFV") {
        byBase[name.substr(0, 8)] += Read("Data/" + name);
      }
    }
    ASSERT_EQ(byBase.size(), 2u) << "each source has its own piece base";
    std::set<std::string> contents;
    for (const auto& [base, bytes] : byBase) contents.insert(bytes);
    EXPECT_EQ(contents, (std::set<std::string>{video, photos}));
    const std::string videoJoin = Read("Data/Join-Holiday Video.avi.bat");
    const std::string photosJoin = Read("Data/Join-Holiday Photos.zip.bat");
    EXPECT_EQ(videoJoin.find("HOLIDA~") == std::string::npos, false);
    EXPECT_NE(videoJoin.substr(videoJoin.find("HOLIDA~"), 8),
              photosJoin.substr(photosJoin.find("HOLIDA~"), 8));
  }
}

}  // namespace parcelo
