// Every file operation of a small run made to fail in turn.
#include <gtest/gtest.h>

#include <filesystem>

#include "engine/app_settings.h"
#include "engine/split_job.h"
#include "engine/split_run.h"
#include "frontend/progress_dialog.h"
#include "split_fixture.h"

namespace parcelo {
namespace {
namespace fs = std::filesystem;

const char* const kRunEndingMessages[] = {
    "Unable to open source file. File may be in use by another program.\n\nThis commonly "
    "happens when splitting .exe's and .dll's. If that's the case, try making a copy of the "
    "source file or restarting your computer.",
    "Error creating destination file.\nDrive may be full.",
    "Not enough resources available to read from source file.",
    "Error reading from source file. File may be in use by another program.",
    "Read past EOF. Source file is currupted.",
    "Not enough resources available to write to destination file.",
    "Error writing to destination file. Drive may be full.",
    "Not enough resources available to write to destination backup file.",
    "Unable to write join file, drive may be full.",
    "Out of memory, unable to split file.",
};
const char* const kBackupMessages[] = {
    "Error creating backup of destination file. Backups have been disabled.",
    "Error writing to destination backup file. Backups have been disabled.",
    "Error creating backup of join file. Backups have been disabled.",
    "Error writing to backup of join file. Backups have been disabled.",
};

bool OneOf(const std::string& text, const char* const* list, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    if (text == list[i]) return true;
  }
  return false;
}

class FaultSweep : public SplitFixture {
 protected:
  void Prepare() {
    RequestSizedWithBackups();
  }
};

TEST_F(FaultSweep, EachFailureEndsCleanlyOrOnlyDropsBackups) {
  Prepare();
  ASSERT_EQ(Run(), 1);
  const std::map<Op, int> clean = {
      {Op::OpenRead, sys_->Calls(Op::OpenRead)}, {Op::Create, sys_->Calls(Op::Create)},
      {Op::Read, sys_->Calls(Op::Read)},         {Op::Write, sys_->Calls(Op::Write)},
      {Op::Find, sys_->Calls(Op::Find)},         {Op::Allocate, sys_->Calls(Op::Allocate)}};
  EXPECT_EQ(clean.at(Op::Create), 8) << "3 pieces, 3 backups, 2 join files";

  int cases = 0;
  for (const auto& [op, count] : clean) {
    for (int n = 1; n <= count; ++n) {
      for (std::uint32_t error : {kErrorDiskFull, kErrorNotEnoughMemory}) {
        SCOPED_TRACE("op " + std::to_string(static_cast<int>(op)) + " call " + std::to_string(n) +
                     " error " + std::to_string(error));
        Prepare();
        TestSystem faulty(&posix_);
        InstallSystem(&faulty);
        faulty.FailCall(op, n, error);
        const int result = Run();
        ++cases;

        EXPECT_TRUE(ReadHostFile(Host('C', "Data/BIG.DAT")) == sourceBytes_) << "source unchanged";
        EXPECT_TRUE(faulty.openFiles.empty()) << "every handle closed";
        EXPECT_TRUE(faulty.liveBuffers.empty()) << "buffer freed";
        EXPECT_EQ(faulty.badReleases, 0) << "nothing released twice";
        EXPECT_EQ(splitJob.running, 0);
        const bool joined = fs::exists(Host('C', "Out/Join-BIG.DAT.bat"));
        std::vector<Box> errors;
        for (const Box& box : faulty.boxes) {
          if (box.caption == "Error") errors.push_back(box);
          EXPECT_EQ(box.owner, progressDialog);
        }
        if (result == 1) {
          EXPECT_TRUE(joined);
          EXPECT_TRUE(JoinPieces({Host('C', "Out")}, "BIG") == sourceBytes_);
          ASSERT_LE(errors.size(), 1u);
          if (!errors.empty()) {
            EXPECT_TRUE(OneOf(errors[0].text, kBackupMessages, std::size(kBackupMessages)))
                << errors[0].text;
            EXPECT_EQ(splitJob.backupEnabled, 0);
          }
        } else {
          if (op != Op::Write || n <= clean.at(Op::Write) - 8) {  // a partial join file may stay
            EXPECT_FALSE(joined) << "no join file after a failure";
          }
          ASSERT_FALSE(errors.empty());
          EXPECT_TRUE(OneOf(errors.back().text, kRunEndingMessages, std::size(kRunEndingMessages)))
              << errors.back().text;
          EXPECT_EQ(errors.back().style & 0xF0, kMbIconError);
          EXPECT_EQ(splitJob.sourcePath, "C:\\Data\\BIG.DAT") << "request kept";
          EXPECT_EQ(faulty.closedWindows.front(), progressDialog);
        }
        InstallSystem(sys_);
      }
    }
  }
  EXPECT_GT(cases, 40);
}

TEST_F(FaultSweep, MessagesFollowTheFailingStep) {
  const struct {
    Op op;
    int n;
    std::uint32_t error;
    int result;
    const char* message;
    std::vector<std::string> out;
  } cases[] = {
      {Op::OpenRead, 1, kErrorSharingViolation, 0,
       "Unable to open source file. File may be in use by another program.\n\nThis commonly "
       "happens when splitting .exe's and .dll's. If that's the case, try making a copy of the "
       "source file or restarting your computer.",
       {}},
      {Op::Create, 3, kErrorAccessDenied, 0, "Error creating destination file.\nDrive may be full.",
       {"BIG.000"}},
      {Op::Read, 2, kErrorNotEnoughMemory, 0,
       "Not enough resources available to read from source file.", {"BIG.000", "BIG.001"}},
      {Op::Read, 3, 23, 0, "Error reading from source file. File may be in use by another program.",
       {"BIG.000", "BIG.001", "BIG.002"}},
      {Op::Write, 3, kErrorNotEnoughMemory, 0,
       "Not enough resources available to write to destination file.", {"BIG.000", "BIG.001"}},
      {Op::Write, 1, kErrorDiskFull, 0, "Error writing to destination file. Drive may be full.",
       {"BIG.000"}},
      {Op::Write, 2, kErrorNotEnoughMemory, 0,
       "Not enough resources available to write to destination backup file.", {"BIG.000"}},
      {Op::Write, 4, kErrorDiskFull, 1,
       "Error writing to destination backup file. Backups have been disabled.",
       {"BIG.000", "BIG.001", "BIG.002", "Join-BIG.DAT.bat"}},
      {Op::Create, 7, kErrorDiskFull, 0, "Unable to write join file, drive may be full.",
       {"BIG.000", "BIG.001", "BIG.002"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    Prepare();
    TestSystem faulty(&posix_);
    InstallSystem(&faulty);
    faulty.FailCall(c.op, c.n, c.error);
    EXPECT_EQ(Run(), c.result);
    ASSERT_FALSE(faulty.boxes.empty());
    EXPECT_EQ(faulty.boxes[0].text, c.message);
    EXPECT_EQ(faulty.boxes[0].caption, "Error");
    EXPECT_EQ(List(Host('C', "Out")), c.out);
    InstallSystem(sys_);
  }
}

TEST_F(FaultSweep, ReadFailureAfterThreePiecesKeepsThemAndThePartialFourth) {
  ResizeFloppy(300000);
  MakeSource("B.DAT", 1300000);
  RequestSpanned("B.DAT");
  SwapDisksOnPrompt();
  // Three chunks fill a 300,000-byte disk; read 11 is the second chunk of piece 4.
  sys_->FailCall(Op::Read, 11, 23);
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(sys_->boxes.back().text,
            "Error reading from source file. File may be in use by another program.");
  for (int disk = 1; disk <= 3; ++disk) {
    EXPECT_EQ(List(DiskFolder(disk)).size(), 1u);
  }
  EXPECT_EQ(List(Host('A', "")), std::vector<std::string>{"B.003"});
  EXPECT_EQ(fs::file_size(Host('A', "B.003")), kBufferSpanned);
  EXPECT_TRUE(JoinPieces({DiskFolder(1), DiskFolder(2), DiskFolder(3), Host('A', "")}, "B") ==
              sourceBytes_.substr(0, 900000 + kBufferSpanned));
}

TEST_F(FaultSweep, ShortSourceIsReportedAsReadPastEof) {
  MakeSource("BIG.DAT", 2500);
  RequestSized("BIG.DAT", 1000);
  splitJob.sourceSize = 3000;  // measured before the file shrank
  splitJob.pieceCount = 3;
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(sys_->boxes.back().text, "Read past EOF. Source file is currupted.");
  EXPECT_FALSE(fs::exists(Host('C', "Out/Join-BIG.DAT.bat")));
}

TEST_F(FaultSweep, SpannedWriteFailureNamesTheDisk) {
  MakeSource("B.DAT", 10000);
  RequestSpanned("B.DAT");
  sys_->answers = {kIdOk};
  sys_->FailCall(Op::Write, 1, kErrorDiskFull);
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(sys_->boxes.back().text,
            "Error writing to destination file. Disk may be full or write-protected.");

  ResetSplitJob();
  RequestSpanned("B.DAT");
  TestSystem faulty(&posix_);
  InstallSystem(&faulty);
  faulty.answers = {kIdOk, kIdCancel};
  faulty.FailCall(Op::Create, 1, kErrorAccessDenied);
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(faulty.boxes.back().text,
            "Error creating destination file.\nDisk may be full or write-protected.");
  EXPECT_EQ(faulty.boxes.back().style, kMbRetryCancel | kMbIconError);
  InstallSystem(sys_);
}

}  // namespace
}  // namespace parcelo
