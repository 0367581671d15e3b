// parcelo95 join under faults and odd names: it never replaces a file, a failure part way
// leaves the folder as it was and says why, it deletes only what it made, and names that
// cmd treats specially come back whole.
#include <sys/stat.h>

#include <filesystem>
#include <map>

#include "cli/commands.h"
#include "cli_run.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/short_name.h"
#include "test_system.h"

namespace parcelo {
namespace {
namespace fs = std::filesystem;

using CliJoinFaults = CliTest;

const char kHeader[] =
    "@ECHO OFF\r\nECHO.Make sure ALL the pieces are in this directory.\r\nECHO.Recombining "
    "files...\r\nECHO.\r\n";
const char kNoReminders[] = "--set=NoReminders=1";

TEST_F(CliJoinFaults, NeverReplacesAFileThatIsThere) {
  const std::string piece0 = std::string(1000, 'a'), piece1 = std::string(500, 'b');
  std::string alias;
  for (const auto& [name, shortName] : AssignShortNames({"A.000", "A.001", "Join.bat", "My Data.bin"}, OemCodePage(437))) {
    if (name == "My Data.bin") alias = shortName;
  }
  ASSERT_EQ(alias, "MYDATA~1.BIN");
  const struct {
    const char* what;
    const char* existing;  // a file of the user's, in the folder before the join
    std::string joinText;
    const char* message;
  } cases[] = {
      {"the COPY target", "DATA.BIN", "COPY /B A.000+A.001 DATA.BIN",
       "DATA.BIN already exists; nothing was written.\n"},
      {"the target in other case", "data.bin", "COPY /B A.000+A.001 DATA.BIN",
       "DATA.BIN already exists (as data.bin); nothing was written.\n"},
      {"the target by its alias", "My Data.bin", "COPY /B A.000+A.001 MYDATA~1.BIN",
       "MYDATA~1.BIN already exists (as My Data.bin); nothing was written.\n"},
      {"an intermediate file", "A.00_", "COPY /B A.000 A.00_\r\nCOPY /B A.00_+A.001 DATA.BIN",
       "A.00_ already exists; nothing was written.\n"},
      {"the intermediate in other case", "a.00_", "COPY /B A.000 A.00_\r\nCOPY /B A.00_+A.001 DATA.BIN",
       "A.00_ already exists (as a.00_); nothing was written.\n"},
      {"the new name of REN", "Data File.bin",
       "COPY /B A.000+A.001 DATA.BIN\r\nREN DATA.BIN \"Data File.bin\"",
       "Data File.bin already exists; nothing was written.\n"},
      {"the new name of REN in other case", "DATA FILE.BIN",
       "COPY /B A.000+A.001 DATA.BIN\r\nREN DATA.BIN \"Data File.bin\"",
       "Data File.bin already exists (as DATA FILE.BIN); nothing was written.\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(Path("P"));
    Write("P/A.000", piece0);
    Write("P/A.001", piece1);
    Write(std::string("P/") + c.existing, "the user's own file");
    Write("P/Join.bat", kHeader + c.joinText + "\r\nECHO.\r\nECHO.Done.");
    const auto before = Snapshot(Path("P"));
    const CliResult result = Run({"join", "P"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, c.message);
    EXPECT_EQ(result.out, "") << "refused before the first step";
    EXPECT_EQ(Snapshot(Path("P")), before);
  }

  // The splitter's own output, joined where the source still lies: with aliases off the
  // COPY target is the source's own name.
  shortNames_ = false;
  fs::remove_all(Path("P"));
  MakeFile("P/Holiday Video.avi", 3000);
  ASSERT_EQ(Run({"split", "P/Holiday Video.avi", "--size", "1000", kNoReminders}).status, 0);
  const auto before = Snapshot(Path("P"));
  const CliResult result = Run({"join", "P"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "Holiday Video.avi already exists; nothing was written.\n");
  EXPECT_EQ(Snapshot(Path("P")), before);
}

TEST_F(CliJoinFaults, AFullDiskLeavesTheFolderAsItWasAndSaysWhy) {
  std::string why;
  // 71 pieces of one page, so that one intermediate file is made and fits; the rebuilt
  // file does not fit beside them.
  if (!MountSmallDisk("Small", 180 * 4096, &why)) GTEST_SKIP() << why << "; as root it runs";
  MakeFile("BIG.DAT", 71 * 4096);
  ASSERT_EQ(Run({"split", "BIG.DAT", "Small", "--size", "4096", kNoReminders}).status, 0);
  Write("Small/KEEP.TXT", "kept");
  const auto before = Snapshot(Path("Small"));
  const CliResult result = Run({"join", "Small"});
  EXPECT_EQ(result.status, 1);
  // An intermediate file or the rebuilt one: whichever the disk runs out at.
  EXPECT_EQ(result.err.rfind("Cannot write BIG.", 0), 0u) << result.err;
  EXPECT_NE(result.err.find(": No space left on device\nThe files this join had made were "
                            "removed again.\n"),
            std::string::npos)
      << result.err;
  EXPECT_EQ(Snapshot(Path("Small")), before);
}

TEST_F(CliJoinFaults, UnreadablePiecesAndReadOnlyFoldersSayWhy) {
  Write("P/A.000", "one");
  Write("P/A.001", "two");
  Write("P/KEEP.TXT", "kept");
  Write("P/Join.bat", std::string(kHeader) + "COPY /B A.000+A.001 A.DAT\r\nREN A.DAT \"A file\"");
  if (!RunUnprivileged()) GTEST_SKIP() << "no setpriv to leave root's rights behind";
  const auto before = Snapshot(Path("P"));

  fs::permissions(Path("P/A.001"), fs::perms::none);
  CliResult result = Run({"join", "P"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "Cannot read A.001: Permission denied\nNothing was written.\n");
  fs::permissions(Path("P/A.001"), fs::perms::owner_read | fs::perms::others_read);
  EXPECT_EQ(Snapshot(Path("P")), before);

  fs::permissions(Path("P"), kReadOnlyForAll);
  result = Run({"join", "P"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err,
            "No checksum file (A.SFV): the pieces could not be checked.\n"
            "Cannot write A.DAT: Permission denied\nNothing was written.\n");
  EXPECT_EQ(Snapshot(Path("P")), before);
  fs::permissions(Path("P"), fs::perms::all);

  // An unreadable join file is an error, and so is an empty one.
  fs::permissions(Path("P/Join.bat"), fs::perms::none);
  result = Run({"join", "P/Join.bat"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "Cannot read P/Join.bat: Permission denied\n");
  fs::remove(Path("P/Join.bat"));
  Write("P/Join.bat", "");
  result = Run({"join", "P"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "The join file is empty: P/Join.bat\nNothing was written.\n");
}

TEST_F(CliJoinFaults, TheDelLineRemovesOnlyTheIntermediatesOfThisJoin) {
  const std::string source = MakeFile("Out/F.DAT", 150000);
  ASSERT_EQ(Run({"split", "Out/F.DAT", "--size", "1000", "--yes", kNoReminders}).status, 0);
  fs::remove(Path("Out/F.DAT"));
  Write("Out/F.OL_", "an old file of the user's");
  Write("Out/f.bk_", "a backup of the user's");
  const std::string joinText = Read("Out/Join-F.DAT.bat");
  ASSERT_NE(joinText.find("\r\nDEL F.00_"), std::string::npos);
  const CliResult result = Run({"join", "Out"});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_TRUE(Read("Out/F.DAT") == source);
  EXPECT_EQ(Read("Out/F.OL_"), "an old file of the user's");
  EXPECT_EQ(Read("Out/f.bk_"), "a backup of the user's");
  std::vector<std::string> expected;
  for (int n = 0; n < 150; ++n) {
    char name[16];
    std::snprintf(name, sizeof name, "F.%03d", n);
    expected.push_back(name);
  }
  for (const char* name : {"F.DAT", "F.OL_", "F.SFV", "Join-F.DAT.bat", "f.bk_"}) {
    expected.push_back(name);
  }
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(List("Out"), expected);
}

TEST_F(CliJoinFaults, NamesWithPercentAmpersandAndCaretComeBackWhole) {
  const struct {
    const char* name;
    bool shortNames;
    const char* inJoinFile;  // how the name must stand in the join file
  } cases[] = {
      {"100%cent%.txt", false, "REN 100%%cent%%.txt \"100%%cent%%.txt\""},
      {"100%cent%.txt", true, "\"100%%cent%%.txt\""},
      {"Tom & Jerry.avi", false, "COPY /B \"Tom & Jerry.000\"+"},
      {"Tom&Jerry.avi", true, "\"Tom&Jerry.avi\""},
      {"a^b.txt", false, "\"a^b.000\""},
      {"%PATH%", false, "COPY /B %%PATH%%.000+"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.name) + (c.shortNames ? " with aliases" : ""));
    shortNames_ = c.shortNames;
    fs::remove_all(Path("Out"));
    const std::string source = MakeFile(std::string("In/") + c.name, 3500);
    MakeFolder("Out");
    const CliResult split =
        Run({"split", std::string("In/") + c.name, "Out", "--size", "1000", kNoReminders});
    ASSERT_EQ(split.status, 0) << split.err;
    const std::string joinFile = "Out/Join-" + std::string(c.name) + ".bat";
    EXPECT_NE(Read(joinFile).find(c.inJoinFile), std::string::npos) << Read(joinFile);
    const CliResult joined = Run({"join", joinFile});
    ASSERT_EQ(joined.status, 0) << joined.err;
    EXPECT_TRUE(Read(std::string("Out/") + c.name) == source);
    EXPECT_EQ(List("Out").size(), 7u)
        << "4 pieces, the checksum file, the join file and the rebuilt source";
  }
}

// join and verify in this process, on real files, through a System that fails one call of
// one operation: every outcome is a finished join of the right bytes, or a failure that says
// why and leaves the folder as it was; verify never calls a piece right that it did not read.
class JoinVerifyFaults : public CliTest {
 protected:
  struct Outcome {
    int status = -1;
    std::string out, err;
    std::map<Op, int> calls;
  };

  Outcome RunInProcess(bool join, const std::string& target, Op op = Op::OpenRead, int n = 0,
                       std::uint32_t error = kErrorAccessDenied) {
    PosixFileSystem posix;
    posix.MapDrive('C', "/", DriveType::Fixed);
    TestSystem system(&posix);
    if (n > 0) system.FailCall(op, n, error);
    InstallSystem(&system);
    Outcome outcome;
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    outcome.status = join ? RunJoin(target) : RunVerify(target);
    outcome.out = ::testing::internal::GetCapturedStdout();
    outcome.err = ::testing::internal::GetCapturedStderr();
    InstallSystem(nullptr);
    EXPECT_TRUE(system.openFiles.empty()) << "a file left open";
    EXPECT_EQ(system.badReleases, 0);
    for (Op each : kOps) outcome.calls[each] = system.Calls(each);
    return outcome;
  }

  static constexpr Op kOps[] = {Op::OpenRead, Op::Create,   Op::CreateNew, Op::Read,
                                Op::Write,    Op::Close,    Op::Find,      Op::Remove,
                                Op::Rename,   Op::SameFile, Op::List,      Op::NameCheck,
                                Op::Lock,     Op::DriveType, Op::FreeBytes, Op::Allocate};
};

TEST_F(JoinVerifyFaults, EveryFailedCallEndsAJoinWholeOrLeavesTheFolderAsItWas) {
  // Three COPY lines with two intermediate files, a DEL line and a REN line.
  const std::string source = MakeFile("In/Big Data.bin", 40 * 100);
  MakeFolder("Base");
  ASSERT_EQ(Run({"split", "In/Big Data.bin", "Base", "--size", "100", kNoReminders}).status, 0);
  const std::string joinText = Read("Base/Join-Big Data.bin.bat");
  ASSERT_NE(joinText.find("\r\nDEL "), std::string::npos) << joinText;
  ASSERT_NE(joinText.find("\r\nREN "), std::string::npos) << joinText;

  fs::copy(Path("Base"), Path("P"));
  const Outcome clean = RunInProcess(true, Path("P"));
  ASSERT_EQ(clean.status, 0) << clean.err;
  ASSERT_TRUE(Read("P/Big Data.bin") == source);
  const std::size_t kMostCalls = 400;
  int failures = 0;
  for (Op op : kOps) {
    for (int n = 1; n <= clean.calls.at(op) && n <= static_cast<int>(kMostCalls); ++n) {
      SCOPED_TRACE("call " + std::to_string(n) + " of op " + std::to_string(static_cast<int>(op)));
      fs::remove_all(Path("P"));
      fs::copy(Path("Base"), Path("P"));
      const auto before = Snapshot(Path("P"));
      const Outcome outcome = RunInProcess(true, Path("P"), op, n, kErrorDiskFull);
      if (outcome.status == 0) {
        EXPECT_TRUE(Read("P/Big Data.bin") == source) << "a finished join of the wrong bytes";
        // An intermediate file that could not be deleted stays, and is named.
        const bool kept = op == Op::Remove;
        EXPECT_EQ(List("P").size(), List("Base").size() + (kept ? 2 : 1)) << outcome.err;
        EXPECT_EQ(outcome.err.find("Could not remove BIGDAT~1.0") == 0, kept) << outcome.err;
        continue;
      }
      ++failures;
      EXPECT_EQ(outcome.status, 1);
      const bool hasReason = op == Op::OpenRead || op == Op::CreateNew || op == Op::Read ||
                             op == Op::Write || op == Op::Rename;
      if (hasReason) {
        EXPECT_NE(outcome.err.find("No space left on device"), std::string::npos) << outcome.err;
      }
      EXPECT_FALSE(outcome.err.empty());
      EXPECT_EQ(outcome.err.find(" match "), std::string::npos) << outcome.err;
      EXPECT_TRUE(Snapshot(Path("P")) == before) << outcome.err;
      if (::testing::Test::HasFailure()) return;
    }
  }
  EXPECT_GT(failures, 40);
}

TEST_F(JoinVerifyFaults, VerifyCallsNoPieceRightThatItCouldNotRead) {
  MakeFile("In/Big Data.bin", 5 * 1000);
  MakeFolder("P");
  ASSERT_EQ(Run({"split", "In/Big Data.bin", "P", "--size", "1000", kNoReminders}).status, 0);
  const Outcome clean = RunInProcess(false, Path("P"));
  ASSERT_EQ(clean.status, 0) << clean.err;
  for (Op op : kOps) {
    for (int n = 1; n <= clean.calls.at(op); ++n) {
      SCOPED_TRACE("call " + std::to_string(n) + " of op " + std::to_string(static_cast<int>(op)));
      const Outcome outcome = RunInProcess(false, Path("P"), op, n, kErrorAccessDenied);
      if (op == Op::Read || op == Op::OpenRead) {
        EXPECT_EQ(outcome.status, 1) << outcome.out;
        EXPECT_NE((outcome.out + outcome.err).find("Permission denied"), std::string::npos)
            << outcome.out << outcome.err;
      }
      if (outcome.status == 0) {
        EXPECT_EQ(outcome.out, clean.out);
      }
      if (::testing::Test::HasFailure()) return;
    }
  }
}

}  // namespace
}  // namespace parcelo
