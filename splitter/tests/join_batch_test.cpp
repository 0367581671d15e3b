#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <numeric>

#include "engine/app_settings.h"
#include "engine/join_batch.h"
#include "engine/join_file_names.h"
#include "engine/piece_name.h"
#include "engine/split_job.h"
#include "split_fixture.h"

namespace parcelo {
namespace {

const char kHeader[] =
    "@ECHO OFF\r\nECHO.Make sure ALL the pieces are in this directory.\r\n"
    "ECHO.Recombining files...\r\nECHO.\r\n";
const char kFooter[] = "\r\nECHO.\r\nECHO.Done.";

LongNameStep Step(bool useDos83) { return useDos83 ? LongNameStep::None : LongNameStep::Rename; }

std::string Joined(const std::vector<std::string>& writes) {
  return std::accumulate(writes.begin(), writes.end(), std::string());
}

std::string Names(const std::string& base, int first, int end, const std::string& sep = "+") {
  std::string text;
  for (int n = first; n < end; ++n) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, ".%03d", n);
    text += (n > first ? sep : "") + base + suffix;
  }
  return text;
}

TEST(JoinBatch, ItsNamesReadBackFromTheText) {
  // What a later run reads from a join file it meets: every piece, the rebuilt file and the
  // long name, however the names had to be written.
  const struct {
    const char* base;
    const char* shortName;
    const char* longName;
    std::uint32_t count;
    LongNameStep step;
  } cases[] = {
      {"HOLIDA~1", "HOLIDA~1.AVI", "Holiday Video.avi", 3, LongNameStep::Rename},
      {"My 100% pure+data", "My 100% pure+data.bin", "My 100% pure+data.bin", 150,
       LongNameStep::Rename},
      {"a;b=c,d&e^f", "a;b=c,d&e^f.txt", "a;b=c,d&e^f.txt", 12, LongNameStep::KeepShortName},
      {"BIGFILE", "BIGFILE.DAT", "BIGFILE.DAT", 75, LongNameStep::None},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.base);
    const JoinFileNames names =
        ParseJoinFileNames(Joined(JoinBatchWrites(c.base, c.shortName, c.longName, c.count, c.step)));
    for (std::uint32_t n = 0; n < c.count; ++n) {
      std::string piece = c.base;
      AppendPieceNumber(static_cast<int>(n), piece);
      std::transform(piece.begin(), piece.end(), piece.begin(), ::toupper);
      EXPECT_EQ(std::count(names.pieces.begin(), names.pieces.end(), piece), 1) << piece;
    }
    EXPECT_EQ(names.rebuilds, c.shortName);
    EXPECT_EQ(names.renames, c.step == LongNameStep::Rename);
    if (names.renames) {
      EXPECT_EQ(names.longName, c.longName);
    }
  }
}

TEST(JoinBatch, ThreePiecesWithLongName) {
  const auto writes = JoinBatchWrites("HOLIDA~1", "HOLIDA~1.AVI", "Holiday Video.avi", 3, Step(false));
  EXPECT_EQ(writes.size(), 4u) << "header, one COPY line, REN, footer";
  EXPECT_EQ(Joined(writes),
            std::string(kHeader) +
                "COPY /B HOLIDA~1.000+HOLIDA~1.001+HOLIDA~1.002 HOLIDA~1.AVI"
                "\r\nREN HOLIDA~1.AVI \"Holiday Video.avi\"" + kFooter);
  EXPECT_EQ(std::string(kHeader).size(), 99u);
  EXPECT_EQ(std::string(kFooter).size(), 19u);
}

TEST(JoinBatch, LinesPastTheDosLimitAreChainedThroughFilesDeletedByName) {
  // Eight 8.3 pieces still fit on one line of 127 bytes: the old layout, byte for byte.
  const std::string eight = "COPY /B " + Names("HOLIDA~1", 0, 8) + " HOLIDA~1.AVI";
  EXPECT_EQ(eight.size(), 124u);
  EXPECT_EQ(Joined(JoinBatchWrites("HOLIDA~1", "HOLIDA~1.AVI", "Holiday Video.avi", 8, Step(false))),
            kHeader + eight + "\r\nREN HOLIDA~1.AVI \"Holiday Video.avi\"" + kFooter);
  // The ninth would pass it.
  EXPECT_EQ(Joined(JoinBatchWrites("HOLIDA~1", "HOLIDA~1.AVI", "Holiday Video.avi", 9, Step(false))),
            std::string(kHeader) + "COPY /B " + Names("HOLIDA~1", 0, 8) + " HOLIDA~1.00_\r\n" +
                "COPY /B HOLIDA~1.00_+HOLIDA~1.008 HOLIDA~1.AVI\r\nDEL HOLIDA~1.00_" +
                "\r\nREN HOLIDA~1.AVI \"Holiday Video.avi\"" + kFooter);
  // 150 pieces: each line reads the file of the line before, which goes right after.
  const std::string text = Joined(JoinBatchWrites("BIGFILE", "BIGFILE.DAT", "BIGFILE.DAT", 150, Step(true)));
  EXPECT_EQ(text.find("DEL BIGFILE.??_"), std::string::npos);
  EXPECT_NE(text.find("\r\nCOPY /B BIGFILE.00_+BIGFILE.009+"), std::string::npos) << text;
  EXPECT_NE(text.find("BIGFILE.01_\r\nDEL BIGFILE.00_\r\nCOPY /B BIGFILE.01_+"), std::string::npos);
  EXPECT_NE(text.find("+BIGFILE.149 BIGFILE.DAT\r\nDEL BIGFILE."), std::string::npos);
}

TEST(JoinBatch, NameWithoutDotAndAlreadyShortName) {
  EXPECT_EQ(Joined(JoinBatchWrites("README", "README", "README", 2, Step(false))),
            kHeader + std::string("COPY /B README.000+README.001 README") +
                "\r\nREN README \"README\"" + kFooter);
  EXPECT_EQ(Joined(JoinBatchWrites("BACKUP", "BACKUP.ZIP", "BACKUP.ZIP", 2, Step(false))),
            kHeader + std::string("COPY /B BACKUP.000+BACKUP.001 BACKUP.ZIP") +
                "\r\nREN BACKUP.ZIP \"BACKUP.ZIP\"" + kFooter);
}

TEST(JoinBatch, ANameThatDiffersOnlyInCaseIsTheLastCopysTarget) {
  const auto step = LongNameStep::CopyToLongName;
  EXPECT_EQ(Joined(JoinBatchWrites("NOTES", "NOTES.TXT", "notes.txt", 3, step)),
            kHeader + std::string("COPY /B NOTES.000+NOTES.001+NOTES.002 \"notes.txt\"") + kFooter);
  // Chained lines: only the last one writes the long name, and every line stays within DOS's.
  const std::string text = Joined(JoinBatchWrites("NOTES", "NOTES.TXT", "notes.txt", 150, step));
  EXPECT_NE(text.find("+NOTES.149 \"notes.txt\"\r\nDEL NOTES."), std::string::npos) << text;
  EXPECT_EQ(text.find("NOTES.TXT"), std::string::npos);
  EXPECT_EQ(text.find("REN "), std::string::npos);
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    EXPECT_LE(end - start, kLongestBatchLine);
  }
}

TEST(JoinBatch, FileNameFollowsBothFlags) {
  const struct {
    int useDos83, useLong;
    const char* folder;
    const char* expected;
  } cases[] = {
      {0, 1, "C:\\Out", "C:\\Out\\Join-My Long Document.doc.bat"},
      {0, 0, "C:\\Out", "C:\\Out\\Join.bat"},
      {1, 1, "C:\\Out", "C:\\Out\\Join.bat"},
      {1, 0, "C:\\Out\\", "C:\\Out\\Join.bat"},
      {0, 1, "A:\\", "A:\\Join-My Long Document.doc.bat"},
  };
  for (const auto& c : cases) {
    appSettings.useDos83 = c.useDos83;
    appSettings.useLongJoinBatName = c.useLong;
    EXPECT_EQ(JoinFilePath(c.folder, "My Long Document.doc"), c.expected);
  }
  ResetAppSettings();
}

TEST(JoinBatch, EstimateIsExactForFullLengthNamesBelowSeventy) {
  // While one line holds them all, which 8.3 pieces do up to eight.
  for (std::uint32_t pieces = 1; pieces <= 8; ++pieces) {
    for (bool dos83 : {false, true}) {
      const std::string longName = "A Rather Long Source Name.data";
      const auto size = Joined(JoinBatchWrites("ABCDEF~1", "ABCDEF~1.DAT", longName, pieces, Step(dos83))).size();
      EXPECT_EQ(JoinRoomEstimate(pieces, longName.size(), dos83), size) << pieces;
    }
  }
  // Beyond that it counts 35 per further line and 18 for the DEL line.
  EXPECT_EQ(JoinRoomEstimate(150, 10, true), 13 * 150 + 138 + 2 * 35 + 18);
  EXPECT_EQ(JoinRoomEstimate(150, 10, false), 13 * 150 + 138 + 2 * 35 + 18 + 31);
}

TEST(JoinBatch, NamesThatCmdWouldSplitAreQuoted) {
  EXPECT_EQ(Joined(JoinBatchWrites("Tax 1998", "Tax 1998.dat", "Tax 1998.dat", 8, Step(false))),
            kHeader + std::string("COPY /B ") + Names("\"Tax 1998", 0, 7, "\"+") +
                "\" \"Tax 1998.00_\"\r\nCOPY /B \"Tax 1998.00_\"+\"Tax 1998.007\" \"Tax 1998.dat\"" +
                "\r\nDEL \"Tax 1998.00_\"\r\nREN \"Tax 1998.dat\" \"Tax 1998.dat\"" + kFooter);
  for (const char* name : {"a\tb", "a,b", "a;b", "a=b", "a+b"}) {
    SCOPED_TRACE(name);
    const std::string q = std::string("\"") + name;
    EXPECT_EQ(Joined(JoinBatchWrites(name, std::string(name) + ".x", "L", 2, Step(false))),
              kHeader + ("COPY /B " + q + ".000\"+" + q + ".001\" " + q + ".x\"") + "\r\nREN " + q +
                  ".x\" \"L\"" + kFooter);
  }
  // Names cmd reads as one word keep the format as it always was.
  for (const char* name : {"HOLIDA~1", "A-B_C!", "X(1)"}) EXPECT_EQ(BatchName(name), name);
  // A batch file reads "%%" as "%", even inside quotes; "&" and "^" act only outside them.
  EXPECT_EQ(BatchName("100%CE~1.TXT"), "100%%CE~1.TXT");
  EXPECT_EQ(BatchName("Tom & Jerry.avi"), "\"Tom & Jerry.avi\"");
  EXPECT_EQ(BatchName("TOM&JE~1.AVI"), "\"TOM&JE~1.AVI\"");
  EXPECT_EQ(BatchName("a^b"), "\"a^b\"");
  EXPECT_EQ(BatchName("50% off.txt"), "\"50%% off.txt\"");
  EXPECT_EQ(Joined(JoinBatchWrites("%X%", "%X%.DAT", "%x% y.dat", 2, Step(false))),
            kHeader + std::string("COPY /B %%X%%.000+%%X%%.001 %%X%%.DAT\r\nREN %%X%%.DAT "
                                  "\"%%x%% y.dat\"") + kFooter);
}

using JoinBatchThroughSystem = SplitFixture;

TEST_F(JoinBatchThroughSystem, RoomNeededIsWhatIsWrittenAndNeverBelowTheEstimate) {
  const struct {
    const char* base;
    const char* shortName;
    const char* longName;
  } names[] = {
      {"HOLIDA~1", "HOLIDA~1.AVI", "Holiday Video.avi"},   // full-length 8.3
      {"B", "B.DAT", "B.DAT"},                             // shorter than the estimate counts
      {"Tax 1998", "Tax 1998.dat", "Tax 1998.dat"},        // long and quoted
  };
  for (const auto& n : names) {
    for (std::uint32_t pieces : {69u, 70u, 71u, 150u}) {
      for (bool dos83 : {false, true}) {
        SCOPED_TRACE(std::string(n.base) + " " + std::to_string(pieces) + (dos83 ? " dos83" : ""));
        const std::size_t written =
            Joined(JoinBatchWrites(n.base, n.shortName, n.longName, pieces, Step(dos83))).size();
        const std::uint32_t estimate =
            JoinRoomEstimate(pieces, static_cast<std::uint32_t>(std::string(n.longName).size()), dos83);
        const std::uint32_t needed = JoinRoomNeeded(n.base, n.shortName, n.longName, pieces, dos83);
        EXPECT_EQ(needed, std::max<std::size_t>(written, estimate));
      }
    }
  }
}

TEST_F(JoinBatchThroughSystem, OnlyADifferenceInCaseAloneIsCopiedStraight) {
  const struct {
    const char* shortName;
    const char* longName;
    bool useDos83;
    LongNameStep step;
  } cases[] = {
      {"NOTES.TXT", "notes.txt", false, LongNameStep::CopyToLongName},
      {"NAïVE.BIN", "naïve.bin", false, LongNameStep::CopyToLongName},
      {"ÄRGER.DOC", "ärger.doc", false, LongNameStep::CopyToLongName},  // by the page's capitals
      {"NOTES.TXT", "notes.txt", true, LongNameStep::None},
      {"BACKUP.ZIP", "BACKUP.ZIP", false, LongNameStep::Rename},
      {"NOTES~1.TXT", "notes.txt", false, LongNameStep::Rename},
      {"ÄRGER.DOC", "ärgeR.dok", false, LongNameStep::Rename},
      {"HOLIDA~1.AVI", "Holiday Video.avi", false, LongNameStep::Rename},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.shortName) + " " + c.longName);
    EXPECT_EQ(LongNameStepFor(c.shortName, c.longName, c.useDos83), c.step);
  }
}

// Writing through the System: the main file, its backup, and their failures.
class WriteJoinBatchTest : public SplitFixture {
 protected:
  void SetUp() override {
    SplitFixture::SetUp();
    splitJob.destinationPath = "C:\\Out";
    splitJob.sourcePath = "C:\\Data\\BIG.DAT";
    splitJob.pieceCount = 3;
    MakeFolder(Host('C', "Backup"));
  }
  std::string Expected() const {
    return Joined(JoinBatchWrites("BIG", "BIG.DAT", "BIG.DAT", 3, Step(false)));
  }
};

TEST_F(WriteJoinBatchTest, WritesMainAndBackupCopies) {
  splitJob.backupEnabled = 1;
  splitJob.backupFolder = "C:\\Backup\\";
  ASSERT_EQ(WriteJoinBatch("BIG", "BIG.DAT", "BIG.DAT"), 1);
  EXPECT_EQ(ReadHostFile(Host('C', "Out/Join-BIG.DAT.bat")), Expected());
  EXPECT_EQ(ReadHostFile(Host('C', "Backup/Join-BIG.DAT.bat")), Expected());
  EXPECT_TRUE(sys_->boxes.empty());
}

TEST_F(WriteJoinBatchTest, BackupFailuresDisableBackupsButFinishTheMainFile) {
  const struct {
    Op op;
    int call;
    const char* message;
  } cases[] = {
      {Op::Create, 2, "Error creating backup of join file. Backups have been disabled."},
      {Op::Write, 2, "Error writing to backup of join file. Backups have been disabled."},
      {Op::Write, 6, "Error writing to backup of join file. Backups have been disabled."},
  };
  for (const auto& c : cases) {
    TestSystem fresh(&posix_);
    InstallSystem(&fresh);
    fresh.FailCall(c.op, c.call, kErrorDiskFull);
    splitJob.backupEnabled = 1;
    splitJob.backupFolder = "C:\\Backup";
    ASSERT_EQ(WriteJoinBatch("BIG", "BIG.DAT", "BIG.DAT"), 1);
    EXPECT_EQ(ReadHostFile(Host('C', "Out/Join-BIG.DAT.bat")), Expected());
    ASSERT_EQ(fresh.boxes.size(), 1u);
    EXPECT_EQ(fresh.boxes[0].text, c.message);
    EXPECT_EQ(fresh.boxes[0].caption, "Error");
    EXPECT_EQ(fresh.boxes[0].style, kMbIconError);
    EXPECT_EQ(splitJob.backupEnabled, 0);
    EXPECT_TRUE(fresh.openFiles.empty());
    EXPECT_FALSE(std::filesystem::exists(Host('C', "Backup/Join-BIG.DAT.bat")))
        << "a backup cut short is removed";
    InstallSystem(sys_);
  }
}

TEST_F(WriteJoinBatchTest, MainFailureReturnsZeroAndClosesBoth) {
  for (int call = 1; call <= 4; ++call) {
    TestSystem fresh(&posix_);
    InstallSystem(&fresh);
    fresh.FailCall(Op::Write, 2 * call - 1, kErrorDiskFull);
    splitJob.backupEnabled = 1;
    splitJob.backupFolder = "C:\\Backup";
    EXPECT_EQ(WriteJoinBatch("BIG", "BIG.DAT", "BIG.DAT"), 0) << call;
    EXPECT_TRUE(fresh.openFiles.empty());
    EXPECT_TRUE(fresh.boxes.empty()) << "the caller reports it";
    EXPECT_FALSE(std::filesystem::exists(Host('C', "Out/Join-BIG.DAT.bat"))) << "cut short: removed";
    EXPECT_FALSE(std::filesystem::exists(Host('C', "Backup/Join-BIG.DAT.bat")));
    InstallSystem(sys_);
  }
  sys_->FailCall(Op::Create, 1, kErrorAccessDenied);
  EXPECT_EQ(WriteJoinBatch("BIG", "BIG.DAT", "BIG.DAT"), 0);
}

TEST_F(WriteJoinBatchTest, NeverOverwritesTheSourceEvenWhenItIsNamedLikeTheJoinFile) {
  WriteHostFile(Host('C', "Out/Join.bat"), "precious");
  splitJob.sourcePath = "C:\\OUT\\join.bat";
  appSettings.useDos83 = 1;
  EXPECT_EQ(WriteJoinBatch("JOIN", "JOIN.BAT", "join.bat"), 0);
  EXPECT_EQ(ReadHostFile(Host('C', "Out/Join.bat")), "precious");
}

}  // namespace
}  // namespace parcelo
