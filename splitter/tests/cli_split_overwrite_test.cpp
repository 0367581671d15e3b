// parcelo95 split into a folder that already holds pieces: its own, of an earlier run, are
// written over without a join file left to rebuild a mix; another source's are kept.
#include <algorithm>
#include <filesystem>
#include <string>

#include "cli_run.h"

namespace parcelo {
namespace {
namespace fs = std::filesystem;

using CliSplitOverwrite = CliTest;

const char kNoReminders[] = "--set=NoReminders=1";

std::string DosPath(const std::string& hostPath) {
  std::string dos = "C:" + hostPath;
  std::replace(dos.begin(), dos.end(), '/', '\\');
  return dos;
}

TEST_F(CliSplitOverwrite, AFailedResplitLeavesNoJoinFileThatLies) {
  // Out is a disk of 8000 bytes: the first run fits, the second fills it at its fifth piece.
  MakeFolder("Out");
  MakeFolder("Backup");
  drives_ = Path("Out") + "=8000";
  MakeFile("DATA.BIN", 5000);
  const std::vector<std::string> split = {"split", "DATA.BIN", "Out", "--size", "2000",
                                          "--backup", "Backup", "--yes", kNoReminders};
  ASSERT_EQ(Run(split).status, 0);
  const std::vector<std::string> firstSet = {"DATA.000", "DATA.001", "DATA.002", "DATA.SFV",
                                             "Join-DATA.BIN.bat"};
  ASSERT_EQ(List("Out"), firstSet);
  ASSERT_EQ(List("Backup"), firstSet);

  // The source changes, and the new run fails part way.
  const std::string changed = MakeFile("DATA.BIN", 9000);
  const CliResult result = Run(split);
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err,
            "Error writing to destination file. Drive may be full.\nReason: No space left on device\n");
  const std::vector<std::string> pieces = {"DATA.000", "DATA.001", "DATA.002", "DATA.003", "DATA.004"};
  EXPECT_EQ(List("Out"), pieces)
      << "no join file that would rebuild a mix of both sources, no checksum file of the old";
  EXPECT_EQ(List("Backup"), pieces) << "nor one among the backups";
  EXPECT_EQ(Read("Out/DATA.000") + Read("Out/DATA.001") + Read("Out/DATA.002") + Read("Out/DATA.003"),
            changed.substr(0, 8000));

  // Written over whole, the same source's pieces rebuild the new bytes as always.
  drives_.clear();
  ASSERT_EQ(Run(split).status, 0);
  EXPECT_EQ(List("Out"), (std::vector<std::string>{"DATA.000", "DATA.001", "DATA.002", "DATA.003",
                                                   "DATA.004", "DATA.SFV", "Join-DATA.BIN.bat"}));
  ASSERT_EQ(Run({"join", "Out"}).status, 0);
  EXPECT_EQ(Read("Out/DATA.BIN"), changed);
}

TEST_F(CliSplitOverwrite, AnotherSourcesPiecesAreKeptUnderTheNextFreeTail) {
  // Both sources are HOLIDA~1 in their own folders.
  MakeFolder("Out");
  const std::string photos = MakeFile("a/Holiday Photos.avi", 2500);
  const std::string video = MakeFile("b/Holiday Video.avi", 2600);
  ASSERT_EQ(Run({"split", "a/Holiday Photos.avi", "Out", "--size", "1000", kNoReminders}).status, 0);
  const auto first = Snapshot(Path("Out"));

  const std::vector<std::string> splitVideo = {"split", "b/Holiday Video.avi", "Out", "--size",
                                               "1000", kNoReminders};
  for (int run = 1; run <= 2; ++run) {  // the second run splits the same source again
    SCOPED_TRACE(run);
    const CliResult result = Run(splitVideo);
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(List("Out"),
              (std::vector<std::string>{"HOLIDA~1.000", "HOLIDA~1.001", "HOLIDA~1.002",
                                        "HOLIDA~1.SFV", "HOLIDA~2.000", "HOLIDA~2.001",
                                        "HOLIDA~2.002", "HOLIDA~2.SFV",
                                        "Join-Holiday Photos.avi.bat",
                                        "Join-Holiday Video.avi.bat"}));
    for (const auto& [path, bytes] : first) EXPECT_EQ(Snapshot(Path("Out"))[path], bytes) << path;
    EXPECT_EQ(Read("Out/Join-Holiday Video.avi.bat"),
              "@ECHO OFF\r\nECHO.Make sure ALL the pieces are in this directory.\r\n"
              "ECHO.Recombining files...\r\nECHO.\r\n"
              "COPY /B HOLIDA~2.000+HOLIDA~2.001+HOLIDA~2.002 HOLIDA~2.AVI\r\n"
              "REN HOLIDA~2.AVI \"Holiday Video.avi\"\r\nECHO.\r\nECHO.Done.");
  }
  ASSERT_EQ(Run({"join", "Out/Join-Holiday Photos.avi.bat"}).status, 0);
  ASSERT_EQ(Run({"join", "Out/Join-Holiday Video.avi.bat"}).status, 0);
  EXPECT_EQ(Read("Out/Holiday Photos.avi"), photos);
  EXPECT_EQ(Read("Out/Holiday Video.avi"), video);
}

TEST_F(CliSplitOverwrite, AnotherSourcesPiecesOfItsOwn83NameStopTheRun) {
  // X.BIN and X.DAT are their own 8.3 names: there is no made-up name to change.
  MakeFolder("Out");
  MakeFile("a/X.BIN", 2500);
  MakeFile("b/X.DAT", 2500);
  ASSERT_EQ(Run({"split", "a/X.BIN", "Out", "--size", "1000", kNoReminders}).status, 0);
  const auto before = Snapshot(Path("Out"));
  const CliResult result = Run({"split", "b/X.DAT", "Out", "--size", "1000", kNoReminders});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "\"X.000\" in " + DosPath(Path("Out")) +
                            " belongs to \"Join-X.BIN.bat\", the join file of another file, and "
                            "would be written over. Choose another destination folder, or move "
                            "those files away first.\n");
  EXPECT_EQ(Snapshot(Path("Out")), before);
}

TEST_F(CliSplitOverwrite, AnotherSourcesJoinBatStopsTheRun) {
  // With either flag both sources' join files are Join.bat: the one in Out is all that
  // rebuilds alpha.bin.
  const struct {
    const char* flag;
    const char* rebuilt;
  } cases[] = {{"--set=UseLongJoinBatName=0", "alpha.bin"}, {"--set=Use DOS 8.3=1", "ALPHA.BIN"}};
  for (const auto& c : cases) {
    const char* flag = c.flag;
    SCOPED_TRACE(flag);
    fs::remove_all(Path("Out"));
    MakeFolder("Out");
    const std::string alpha = MakeFile("alpha.bin", 2500);
    MakeFile("beta.bin", 2600);
    ASSERT_EQ(Run({"split", "alpha.bin", "Out", "--size", "1000", flag, kNoReminders}).status, 0);
    ASSERT_TRUE(Exists("Out/Join.bat"));
    const auto before = Snapshot(Path("Out"));

    const CliResult result = Run({"split", "beta.bin", "Out", "--size", "1000", flag, kNoReminders});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "\"Join.bat\" in " + DosPath(Path("Out")) +
                              " is the join file of another file, and would be written over. "
                              "Choose another destination folder, or move it away first.\n");
    EXPECT_EQ(Snapshot(Path("Out")), before);
    ASSERT_EQ(Run({"join", "Out"}).status, 0);
    EXPECT_EQ(Read(std::string("Out/") + c.rebuilt), alpha);

    // The same source again writes over its own.
    fs::remove(Path(std::string("Out/") + c.rebuilt));
    EXPECT_EQ(Run({"split", "alpha.bin", "Out", "--size", "1000", flag, kNoReminders}).status, 0);
  }
}

// Where names have case, Data.bin and data.bin are two files: neither run takes the other's
// join file for its own, and the first stays rebuildable from DEST.
TEST_F(CliSplitOverwrite, NamesThatDifferOnlyInCaseAreTwoSources) {
  const struct {
    const char* what;
    const char* first;
    const char* second;
    const char* dest;
    const char* taken;  // the name of the second run's that the first's files hold
    const char* owner;  // the first's join file
    const char* joinName = "--set=UseLongJoinBatName=1";
  } cases[] = {
      {"two folders into one DEST", "x/Data.bin", "y/data.bin", "Out", "Join-data.bin.bat", "Join-Data.bin.bat"},
      // Both join files are Join.bat: the pieces, not its name, tell whose it is.
      {"one Join.bat", "x/Data.bin", "y/data.bin", "Out", "DATA.000", "Join.bat",
       "--set=UseLongJoinBatName=0"},
      // data.bin's pieces are DATA~1.000..., but its join file is the first's but for case.
      {"one folder, in place", "x/Data.bin", "x/data.bin", "x", "Join-data.bin.bat", "Join-Data.bin.bat"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(Path("x"));
    fs::remove_all(Path("y"));
    fs::remove_all(Path("Out"));
    MakeFolder("Out");
    const std::string first = MakeFile(c.first, 2500);
    MakeFile(c.second, 2500);
    ASSERT_EQ(Run({"split", c.first, c.dest, "--size", "1KB", "--yes", kNoReminders, c.joinName}).status, 0);
    const auto before = Snapshot(Path(c.dest));
    const CliResult second =
        Run({"split", c.second, c.dest, "--size", "1KB", "--yes", kNoReminders, c.joinName});
    EXPECT_EQ(second.status, 1);
    EXPECT_EQ(second.err, "\"" + std::string(c.taken) + "\" in " + DosPath(Path(c.dest)) +
                              " belongs to \"" + c.owner + "\", the join file of another file, "
                              "and would be written over. Choose another destination folder, or "
                              "move those files away first.\n");
    EXPECT_TRUE(Snapshot(Path(c.dest)) == before);
    // Rebuilt where neither source lies any more: a join writes over no name but for case.
    fs::remove(Path(c.first));
    fs::remove(Path(c.second));
    const CliResult joined = Run({"join", c.dest});
    EXPECT_EQ(joined.status, 0) << joined.err;
    EXPECT_TRUE(Read(std::string(c.dest) + "/Data.bin") == first);
  }
}

}  // namespace
}  // namespace parcelo
