// Cancel requested at each point the worker looks for it.
#include <gtest/gtest.h>

#include <filesystem>

#include "engine/split_job.h"
#include "engine/split_run.h"
#include "frontend/progress_dialog.h"
#include "split_fixture.h"

namespace parcelo {
namespace {
namespace fs = std::filesystem;

using Cancel = SplitFixture;

void ExpectRunEndedQuietly(TestSystem& sys, WindowHandle dialog) {
  EXPECT_EQ(splitJob.running, 0);
  EXPECT_EQ(sys.closedWindows, std::vector<WindowHandle>{dialog});
  EXPECT_TRUE(sys.openFiles.empty());
  EXPECT_TRUE(sys.liveBuffers.empty());
  EXPECT_EQ(sys.badReleases, 0);
}

TEST_F(Cancel, AtEachChunkKeepsWhatWasWrittenAndWritesNoJoinFile) {
  // 5 pieces of 1000 bytes, one chunk each; cancel arrives with the nth write.
  for (int n = 1; n <= 5; ++n) {
    SCOPED_TRACE(n);
    fs::remove_all(Host('C', "Out"));
    MakeFolder(Host('C', "Out"));
    ResetSplitJob();
    MakeSource("BIG.DAT", 5000);
    RequestSized("BIG.DAT", 1000);
    TestSystem sys(&posix_);
    InstallSystem(&sys);
    sys.beforeCall = [n](Op op, int call) {
      if (op == Op::Write && call == n) splitJob.cancelRequested = 1;
    };
    EXPECT_EQ(Run(), 0);
    ExpectRunEndedQuietly(sys, progressDialog);
    EXPECT_TRUE(sys.boxes.empty()) << "cancel shows no message";
    std::vector<std::string> expected;
    for (int piece = 0; piece < n; ++piece) expected.push_back("BIG.00" + std::to_string(piece));
    EXPECT_EQ(List(Host('C', "Out")), expected);
    EXPECT_TRUE(JoinPieces({Host('C', "Out")}, "BIG") == sourceBytes_.substr(0, 1000 * n));
    EXPECT_EQ(splitJob.sourcePath, "C:\\Data\\BIG.DAT") << "the request survives";
    InstallSystem(sys_);
  }
}

TEST_F(Cancel, WithinAPieceLeavesItPartial) {
  ResizeFloppy(300000);
  MakeSource("B.DAT", 500000);
  RequestSpanned("B.DAT");
  sys_->answers = {kIdOk};
  sys_->beforeCall = [](Op op, int call) {
    if (op == Op::Write && call == 2) splitJob.cancelRequested = 1;
  };
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(fs::file_size(Host('A', "B.000")), 2 * kBufferSpanned);
  EXPECT_EQ(sys_->boxes.size(), 1u) << "just the disk prompt";
}

TEST_F(Cancel, BeforeEachQuestionNoQuestionIsAsked) {
  // Spanned run over 5000-byte disks; cancel is set while the nth question is answered,
  // so the worker must not ask another one.
  for (int n = 1; n <= 3; ++n) {
    SCOPED_TRACE(n);
    fs::remove_all(Host('A', ""));
    fs::remove_all(root_ + "/disks");
    MakeFolder(Host('A', ""));
    ResetSplitJob();
    ResizeFloppy(5000);
    MakeSource("B.DAT", 12000);
    RequestSpanned("B.DAT");
    TestSystem sys(&posix_);
    InstallSystem(&sys);
    int asked = 0;
    sys.onBox = [&](const Box&) {
      EXPECT_TRUE(posix_.ChangeDisk('A', DiskFolder(++asked)));
      if (asked == n) splitJob.cancelRequested = 1;
      return kIdOk;
    };
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(asked, n);
    ExpectRunEndedQuietly(sys, progressDialog);
    InstallSystem(sys_);
  }
}

TEST_F(Cancel, BeforeTheJoinRoomQuestionAndTheJoinFile) {
  ResizeFloppy(10000);
  MakeSource("B.DAT", 9800);
  RequestSpanned("B.DAT");
  sys_->onBox = [](const Box&) { return kIdOk; };
  // The last chunk is written; the cancel comes before the room check can ask.
  sys_->beforeCall = [](Op op, int) {
    if (op == Op::Close) splitJob.cancelRequested = 1;
  };
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(sys_->boxes.size(), 1u) << "only the disk prompt";
  EXPECT_EQ(List(Host('A', "")), std::vector<std::string>{"B.000"});

  ResetSplitJob();
  MakeSource("BIG.DAT", 2500);
  RequestSized("BIG.DAT", 1000);
  sys_->boxes.clear();
  const int lastChunk = sys_->Calls(Op::Write) + 3;
  sys_->beforeCall = [lastChunk](Op op, int call) {
    if (op == Op::Write && call == lastChunk) splitJob.cancelRequested = 1;
  };
  EXPECT_EQ(Run(), 0);
  EXPECT_FALSE(fs::exists(Host('C', "Out/Join-BIG.DAT.bat")));
  EXPECT_TRUE(JoinPieces({Host('C', "Out")}, "BIG") == sourceBytes_);
}

TEST_F(Cancel, AfterTheJoinFileIsWrittenTheRunStillFinishes) {
  MakeSource("BIG.DAT", 2500);
  RequestSized("BIG.DAT", 1000);
  sys_->beforeCall = [](Op op, int call) {
    if (op == Op::Write && call == 5) splitJob.cancelRequested = 1;  // inside the join file
  };
  EXPECT_EQ(Run(), 1);
  EXPECT_TRUE(fs::exists(Host('C', "Out/Join-BIG.DAT.bat")));
}

}  // namespace
}  // namespace parcelo
