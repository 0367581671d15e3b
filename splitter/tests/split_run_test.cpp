#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "engine/app_settings.h"
#include "engine/join_batch.h"
#include "engine/split_job.h"
#include "engine/split_run.h"
#include "frontend/main_dialog_state.h"
#include "frontend/progress_dialog.h"
#include "split_fixture.h"

namespace parcelo {
namespace {
namespace fs = std::filesystem;

const char kReminderSized[] =
    "Done.\n\nTo recombine the splitted files, make sure each piece is in the\nsame directory "
    "along with the recombination batch file (named 'join.bat' or 'join-source "
    "filename.bat'),\nthen run (double-click) the join file.";
const char kReminderSpanned[] =
    "Done.\n\nTo recombine the splitted files, copy each piece from each disk\nalong with the "
    "recombination batch file (named 'join.bat' or 'join-source filename.bat') to a "
    "directory\non your hard disk, then run (double-click) the join file.";

using SizedRun = SplitFixture;

TEST_F(SizedRun, PiecesRebuildTheSourceAndBackupsMatch) {
  const struct {
    std::uint32_t size, pieceSize;
    int moreMem, backup;
    std::vector<std::uint32_t> pieces;
  } cases[] = {
      {3000, 1000, 0, 0, {1000, 1000, 1000}},
      {2010, 1000, 0, 1, {1000, 1000, 10}},
      {20 << 20, 8 << 20, 0, 1, {8 << 20, 8 << 20, 4 << 20}},
      {20 << 20, 8 << 20, 1, 0, {8 << 20, 8 << 20, 4 << 20}},
      {1457265, 1457264, 0, 0, {1457264, 1}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.size) + "/" + std::to_string(c.pieceSize));
    fs::remove_all(Host('C', "Out"));
    fs::remove_all(Host('C', "Backup"));
    MakeFolder(Host('C', "Out"));
    MakeFolder(Host('C', "Backup"));
    MakeSource("BIG.DAT", c.size);
    RequestSized("BIG.DAT", c.pieceSize);
    appSettings.moreMem = c.moreMem;
    splitJob.backupEnabled = c.backup;
    splitJob.backupFolder = "C:\\Backup";
    sys_->boxes.clear();

    ASSERT_EQ(Run(), 1);
    for (std::size_t n = 0; n < c.pieces.size(); ++n) {
      char name[32];
      std::snprintf(name, sizeof name, "BIG.%03zu", n);
      EXPECT_EQ(fs::file_size(Host('C', std::string("Out/") + name)), c.pieces[n]) << name;
    }
    EXPECT_TRUE(JoinPieces({Host('C', "Out")}, "BIG") == sourceBytes_);
    const std::string join = ReadHostFile(Host('C', "Out/Join-BIG.DAT.bat"));
    EXPECT_NE(join.find("\r\nREN BIG.DAT \"BIG.DAT\""), std::string::npos);
    if (c.backup) {
      EXPECT_TRUE(JoinPieces({Host('C', "Backup")}, "BIG") == sourceBytes_);
      EXPECT_EQ(ReadHostFile(Host('C', "Backup/Join-BIG.DAT.bat")), join);
    } else {
      EXPECT_TRUE(List(Host('C', "Backup")).empty());
    }
    EXPECT_EQ(List(Host('C', "Out")).size(), c.pieces.size() + 1) << "no empty extra piece";
    ASSERT_EQ(sys_->boxes.size(), 1u);
    EXPECT_EQ(sys_->boxes[0].text, kReminderSized);
    EXPECT_EQ(sys_->boxes[0].caption, "Tavrin Parcelo 95");
    EXPECT_EQ(sys_->boxes[0].style, kMbIconInformation);
    EXPECT_EQ(sys_->boxes[0].owner, progressDialog);
  }
}

TEST_F(SizedRun, BufferFollowsMoreMemAndChunksSplitLargePieces) {
  MakeSource("BIG.DAT", 20 << 20);
  RequestSized("BIG.DAT", 8 << 20);
  ASSERT_EQ(Run(), 1);
  EXPECT_EQ(splitJob.bufferSize, kBufferNormal);
  EXPECT_EQ(splitJob.chunkSize, kBufferNormal);
  // 8 MiB pieces in 5 + 3 MiB steps, then 4 MiB: five chunks and the final step.
  EXPECT_EQ(sys_->Deltas(), 6);
  EXPECT_EQ(sys_->Calls(Op::Read), 5);

  ResetSplitJob();
  appSettings.moreMem = 1;
  RequestSized("BIG.DAT", 8 << 20);
  ASSERT_EQ(PrepareSplitRun(), 1);
  EXPECT_EQ(splitJob.bufferSize, kBufferMoreMem);
  EXPECT_EQ(splitJob.chunkSize, 8u << 20);
  EndSplitRun(false);
}

TEST_F(SizedRun, ReportsEveryStepToTheProgressDialog) {
  MakeSource("BIG.DAT", 2500);
  RequestSized("BIG.DAT", 1000);
  ASSERT_EQ(Run(), 1);
  EXPECT_EQ(sys_->windowCalls,
            (std::vector<std::string>{
                "text 100 Splitting \"BIG.DAT\" into 3 pieces...", "text 101 Initializing...",
                "pos 0", "range 0 3", "text 101 Writing piece 1 of 3...", "delta 1",
                "text 101 Writing piece 2 of 3...", "delta 1", "text 101 Writing piece 3 of 3...",
                "delta 1", "text 101 Writing recombination batch file...", "delta 1",
                "text 101 Finished.", "text 2 Close", "tip 2 Close Split Status Dialog",
                "sound SystemDefault", "close"}));
  EXPECT_EQ(sys_->closedWindows, std::vector<WindowHandle>{progressDialog});
}

TEST_F(SizedRun, LongNamesGiveAliasPiecesAndARenLine) {
  MakeSource("Holiday Video.avi", 2500);
  RequestSized("Holiday Video.avi", 1000);
  ASSERT_EQ(Run(), 1);
  EXPECT_EQ(List(Host('C', "Out")),
            (std::vector<std::string>{"HOLIDA~1.000", "HOLIDA~1.001", "HOLIDA~1.002",
                                      "Join-Holiday Video.avi.bat"}));
  EXPECT_EQ(ReadHostFile(Host('C', "Out/Join-Holiday Video.avi.bat")),
            "@ECHO OFF\r\nECHO.Make sure ALL the pieces are in this directory.\r\n"
            "ECHO.Recombining files...\r\nECHO.\r\n"
            "COPY /B HOLIDA~1.000+HOLIDA~1.001+HOLIDA~1.002 HOLIDA~1.AVI\r\n"
            "REN HOLIDA~1.AVI \"Holiday Video.avi\"\r\nECHO.\r\nECHO.Done.");
}

TEST_F(SizedRun, SuccessResetsTheRequestFailureKeepsIt) {
  MakeSource("BIG.DAT", 2500);
  RequestSized("BIG.DAT", 1000);
  mainDialogState = MainDialogState{"1000", kModePreset, kUnitMB, 0};
  sys_->FailCall(Op::Read, 2, 23);
  ASSERT_EQ(Run(), 0);
  EXPECT_EQ(splitJob.sourcePath, "C:\\Data\\BIG.DAT");
  EXPECT_EQ(splitJob.destinationPath, "C:\\Out");
  EXPECT_EQ(splitJob.pieceSize, 1000u);
  EXPECT_EQ(mainDialogState.splitSizeText, "1000");
  EXPECT_EQ(mainDialogState.splitMode, kModePreset);

  ResetSplitJob();
  RequestSized("BIG.DAT", 1000);
  ASSERT_EQ(Run(), 1);
  EXPECT_EQ(splitJob.sourcePath, "");
  EXPECT_EQ(splitJob.destinationPath, "");
  EXPECT_EQ(splitJob.sourceSize, 0u);
  EXPECT_EQ(splitJob.pieceSize, 0u);
  EXPECT_EQ(splitJob.pieceCount, 0u);
  EXPECT_EQ(mainDialogState.splitSizeText, "");
  EXPECT_EQ(mainDialogState.splitMode, kModeSpecified);
  EXPECT_EQ(mainDialogState.sizeUnit, kUnitKB);
  EXPECT_EQ(mainDialogState.presetIndex, 2);
}

TEST_F(SizedRun, EndOfRunFlags) {
  const struct {
    int deletePrompt, noReminders, closeWhenDone, answer;
    bool sourceRemains;
    std::size_t boxes, closes;
  } cases[] = {
      {0, 0, 1, 0, true, 1, 1},
      {1, 0, 1, kIdYes, false, 2, 1},
      {1, 1, 1, kIdNo, true, 1, 1},
      {0, 1, 0, 0, true, 0, 0},
  };
  for (const auto& c : cases) {
    TestSystem fresh(&posix_);
    InstallSystem(&fresh);
    MakeSource("BIG.DAT", 2500);
    RequestSized("BIG.DAT", 1000);
    appSettings.deletePrompt = c.deletePrompt;
    appSettings.noReminders = c.noReminders;
    appSettings.closeWhenDone = c.closeWhenDone;
    if (c.answer) fresh.answers.push_back(c.answer);
    bool joinExistedAtDelete = false;
    fresh.beforeCall = [&](Op op, int) {
      if (op == Op::Remove) joinExistedAtDelete = fs::exists(Host('C', "Out/Join-BIG.DAT.bat"));
    };
    ASSERT_EQ(Run(), 1);
    EXPECT_EQ(fs::exists(Host('C', "Data/BIG.DAT")), c.sourceRemains);
    if (!c.sourceRemains) {
      EXPECT_TRUE(joinExistedAtDelete);
    }
    ASSERT_EQ(fresh.boxes.size(), c.boxes);
    if (c.deletePrompt) {
      EXPECT_EQ(fresh.boxes[0].text, "Finished splitting. Do you want to delete source file now?");
      EXPECT_EQ(fresh.boxes[0].caption, "Tavrin Parcelo 95");
      EXPECT_EQ(fresh.boxes[0].style, kMbYesNo);
    }
    EXPECT_EQ(fresh.closedWindows.size(), c.closes);
    InstallSystem(sys_);
  }
}

TEST_F(SizedRun, RefusesAZeroPieceSizeInsteadOfLooping) {
  MakeSource("BIG.DAT", 2500);
  RequestSized("BIG.DAT", 0);
  EXPECT_EQ(PrepareSplitRun(), 0);
  ASSERT_EQ(sys_->boxes.size(), 1u);
  EXPECT_EQ(sys_->boxes[0].text, "Split size must be greater than 0.");
  EXPECT_EQ(sys_->boxes[0].caption, "Error");
  EXPECT_EQ(sys_->boxes[0].style, kMbIconError);
  EXPECT_EQ(sys_->closedWindows, std::vector<WindowHandle>{progressDialog});
  EXPECT_TRUE(List(Host('C', "Out")).empty());
}

TEST_F(SizedRun, OutOfMemoryEndsTheProgram) {
  MakeSource("BIG.DAT", 2500);
  RequestSized("BIG.DAT", 1000);
  sys_->FailCall(Op::Allocate, 1, kErrorNotEnoughMemory);
  EXPECT_EQ(PrepareSplitRun(), 0);
  ASSERT_EQ(sys_->boxes.size(), 1u);
  EXPECT_EQ(sys_->boxes[0].text, "Out of memory, unable to split file.");
  EXPECT_EQ(sys_->closedWindows, (std::vector<WindowHandle>{progressDialog, mainDialogWindow}));
}

TEST_F(SizedRun, NeverTruncatesASourceThatIsNamedLikeAPiece) {
  MakeSource("DATA.000", 2500);
  RequestSized("DATA.000", 1000);
  splitJob.destinationPath = "C:\\Data";
  EXPECT_EQ(Run(), 0);
  ASSERT_EQ(sys_->boxes.size(), 1u);
  EXPECT_EQ(sys_->boxes[0].text,
            "\"DATA.000\" cannot be rebuilt under the name DATA.000: a file of this split has "
            "that name, and rebuilding would write over it. Rename the source file, then split "
            "again.");
  EXPECT_EQ(sys_->boxes[0].style, kMbIconError);
  EXPECT_TRUE(ReadHostFile(Host('C', "Data/DATA.000")) == sourceBytes_);
  EXPECT_EQ(List(Host('C', "Data")), std::vector<std::string>{"DATA.000"});
}

TEST_F(SizedRun, NeverTruncatesASourceInTheBackupFolder) {
  MakeSource("DATA.000", 2500);
  RequestSized("DATA.000", 1000);
  splitJob.backupEnabled = 1;
  splitJob.backupFolder = "C:\\data";
  // Its join file would rebuild it onto its own first piece: refused before any is written.
  ASSERT_EQ(Run(), 0);
  EXPECT_TRUE(ReadHostFile(Host('C', "Data/DATA.000")) == sourceBytes_);
  ASSERT_EQ(sys_->boxes.size(), 1u);
  EXPECT_EQ(sys_->boxes.front().text.rfind("\"DATA.000\" cannot be rebuilt under the name DATA.000", 0), 0u);
  EXPECT_TRUE(List(Host('C', "Out")).empty());
}

TEST_F(SizedRun, UnwritableBackupFolderGivesOneMessageAndNoBackups) {
  MakeSource("BIG.DAT", 2500);
  RequestSized("BIG.DAT", 1000);
  splitJob.backupEnabled = 1;
  splitJob.backupFolder = "C:\\Missing";
  ASSERT_EQ(Run(), 1);
  ASSERT_EQ(sys_->boxes.size(), 2u);
  EXPECT_EQ(sys_->boxes[0].text,
            "Error creating backup of destination file. Backups have been disabled.");
  EXPECT_EQ(sys_->boxes[0].caption, "Error");
  EXPECT_EQ(sys_->boxes[0].style, kMbIconError);
  EXPECT_EQ(sys_->boxes[1].text, kReminderSized);
  EXPECT_FALSE(fs::exists(Host('C', "Missing")));
  EXPECT_TRUE(JoinPieces({Host('C', "Out")}, "BIG") == sourceBytes_);
}

using SpannedRun = SplitFixture;

TEST_F(SpannedRun, PiecesFillEachDiskAndRebuildTheSource) {
  const struct {
    std::uint64_t capacity;
    std::uint32_t size;
    int backup;
  } cases[] = {
      {1457664, 3500000, 1},
      {1457664, 3500000, 0},
      {100000, 350000, 1},
      {5000, 59000, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.capacity);
    fs::remove_all(root_ + "/disks");
    fs::remove_all(Host('A', ""));
    fs::remove_all(Host('C', "Backup"));
    MakeFolder(Host('A', ""));
    MakeFolder(Host('C', "Backup"));
    ResizeFloppy(c.capacity);
    disksInserted_ = 0;
    sys_->boxes.clear();
    MakeSource("Holiday Video.avi", c.size);
    RequestSpanned("Holiday Video.avi");
    splitJob.backupEnabled = c.backup;
    splitJob.backupFolder = "C:\\Backup";
    SwapDisksOnPrompt();

    ASSERT_EQ(Run(), 1);
    const int disks = disksInserted_;
    std::vector<std::string> folders;
    for (int n = 1; n < disks; ++n) {
      folders.push_back(DiskFolder(n));
      EXPECT_EQ(List(DiskFolder(n)).size(), 1u) << "one piece per full disk";
    }
    folders.push_back(Host('A', ""));
    EXPECT_TRUE(JoinPieces(folders, "HOLIDA~1") == sourceBytes_);
    EXPECT_TRUE(fs::exists(Host('A', "Join-Holiday Video.avi.bat"))) << "join file on the last disk";
    EXPECT_EQ(splitJob.pieceCount, 0u) << "reset after success";
    if (c.backup) {
      EXPECT_TRUE(JoinPieces({Host('C', "Backup")}, "HOLIDA~1") == sourceBytes_);
      EXPECT_EQ(ReadHostFile(Host('C', "Backup/Join-Holiday Video.avi.bat")),
                ReadHostFile(Host('A', "Join-Holiday Video.avi.bat")));
    }
    // The pieces of all full disks filled them exactly.
    for (int n = 1; n < disks; ++n) {
      char name[32];
      std::snprintf(name, sizeof name, "HOLIDA~1.%03d", n - 1);
      EXPECT_EQ(fs::file_size(DiskFolder(n) + "/" + name), c.capacity);
    }
    ASSERT_FALSE(sys_->boxes.empty());
    EXPECT_EQ(sys_->boxes.front().text, "Insert disk for piece 1");
    EXPECT_EQ(sys_->boxes.front().caption, "Tavrin Parcelo 95");
    EXPECT_EQ(sys_->boxes.front().style, kMbOkCancel | kMbIconQuestion);
    EXPECT_EQ(sys_->boxes.back().text, kReminderSpanned);
    EXPECT_EQ(static_cast<int>(sys_->boxes.size()), disks + 1);
  }
}

TEST_F(SpannedRun, ProgressEndsFullAndBufferIsSmall) {
  MakeSource("B.DAT", 300000);
  RequestSpanned("B.DAT");
  appSettings.moreMem = 1;
  sys_->answers = {kIdOk};
  ASSERT_EQ(Run(), 1);
  EXPECT_EQ(splitJob.bufferSize, kBufferSpanned);
  const auto& calls = sys_->windowCalls;
  EXPECT_EQ(calls[0], "text 100 Spanning \"B.DAT\" to disks...");
  EXPECT_EQ(calls[3], "range 0 3");  // 300000 / 102400 + 1
  const std::vector<std::string> end(calls.end() - 7, calls.end());
  EXPECT_EQ(end, (std::vector<std::string>{"range 0 1", "pos 1", "text 101 Finished.",
                                          "text 2 Close", "tip 2 Close Split Status Dialog",
                                          "sound SystemDefault", "close"}));
  EXPECT_EQ(sys_->TextsOf(101)[1], "Waiting for disk 1...");
  EXPECT_EQ(sys_->TextsOf(101)[2], "Writing piece 1 to disk...");
}

TEST_F(SpannedRun, APieceTakesExactlyTheMeasuredFreeSpace) {
  ResizeFloppy(1000000);
  MakeSource("B.DAT", 1500000);
  RequestSpanned("B.DAT");
  SwapDisksOnPrompt();
  ASSERT_EQ(Run(), 1);
  EXPECT_EQ(fs::file_size(DiskFolder(1) + "/B.000"), 1000000u);
  EXPECT_EQ(fs::file_size(Host('A', "B.001")), 500000u);
}

TEST_F(SpannedRun, TooLittleFreeSpaceAsksToRetry) {
  MakeSource("B.DAT", 10000);
  RequestSpanned("B.DAT");
  // Preparation measures once; then the first disk shows 2047 bytes, then 5000.
  sys_->freeBytes = {5000, 2047, 5000};
  sys_->answers = {kIdOk, kIdRetry, kIdOk};
  ASSERT_EQ(Run(), 1);
  EXPECT_EQ(sys_->boxes[1].text, "Not enough free space on disk. At least 2K is needed.");
  EXPECT_EQ(sys_->boxes[1].caption, "Error");
  EXPECT_EQ(sys_->boxes[1].style, kMbRetryCancel | kMbIconError);
  EXPECT_EQ(fs::file_size(Host('A', "B.000")), 5000u);
}

TEST_F(SpannedRun, CancelInTheFreeSpaceRetryReportsBytesFree) {
  MakeSource("B.DAT", 10000);
  RequestSpanned("B.DAT");
  sys_->freeBytes = {5000, 2047};
  sys_->answers = {kIdOk, kIdCancel};
  EXPECT_EQ(Run(), 0);
  ASSERT_EQ(sys_->boxes.size(), 3u);
  EXPECT_EQ(sys_->boxes[2].text, "BytesFree: 2047");
  EXPECT_EQ(sys_->boxes[2].caption, "Info");
  EXPECT_EQ(sys_->boxes[2].style, kMbOk);
  EXPECT_TRUE(List(Host('A', "")).empty());
  EXPECT_EQ(splitJob.sourcePath, "C:\\Data\\B.DAT");
}

TEST_F(SpannedRun, PreparationWaitsForTwoKilobytes) {
  MakeSource("B.DAT", 10000);
  RequestSpanned("B.DAT");
  sys_->freeBytes = {100, 2047};
  sys_->answers = {kIdOk, kIdCancel};
  EXPECT_EQ(PrepareSplitRun(), 0);
  ASSERT_EQ(sys_->boxes.size(), 2u);
  for (const Box& box : sys_->boxes) {
    EXPECT_EQ(box.text,
              "You need at least 2KB of free disk space. Free space on disk or insert another.");
    EXPECT_EQ(box.caption, "Tavrin Parcelo 95");
    EXPECT_EQ(box.style, kMbOkCancel | kMbIconError);
  }
  EXPECT_EQ(sys_->closedWindows.size(), 1u);

  ResetSplitJob();
  RequestSpanned("B.DAT");
  sys_->freeBytes = {100, 3000};
  sys_->answers = {kIdOk};
  ASSERT_EQ(PrepareSplitRun(), 1);
  EXPECT_EQ(splitJob.chunkSize, 3000u);
  EndSplitRun(false);
}

TEST_F(SpannedRun, FreeSpaceAbove32BitsIsCappedNotWrapped) {
  sys_->freeBytes = {(std::uint64_t{1} << 32) + 100, std::uint64_t{1} << 40, 4096};
  EXPECT_EQ(MeasureFreeBytes("A:\\"), 0xFFFFFFFFu);
  EXPECT_EQ(MeasureFreeBytes("A:\\"), 0xFFFFFFFFu);
  EXPECT_EQ(MeasureFreeBytes("A:\\"), 4096u);

  MakeSource("B.DAT", 10000);
  RequestSpanned("B.DAT");
  sys_->freeBytes = {(std::uint64_t{1} << 32) + 100, (std::uint64_t{1} << 32) + 100,
                     (std::uint64_t{1} << 32) + 100};
  sys_->answers = {kIdOk};
  ASSERT_EQ(Run(), 1);
  EXPECT_EQ(sys_->boxes.size(), 2u) << "only the disk prompt and the reminder";
  EXPECT_EQ(fs::file_size(Host('A', "B.000")), 10000u);
}

TEST_F(SpannedRun, JoinFileWaitsForRoomOnTheLastDisk) {
  ResizeFloppy(10000);
  MakeSource("B.DAT", 9800);  // leaves 200 bytes, below the 512 the join file needs
  RequestSpanned("B.DAT");
  int prompts = 0;
  sys_->onBox = [&](const Box& box) {
    if (box.text.rfind("Not enough room for join file", 0) == 0) {
      EXPECT_EQ(box.text, "Not enough room for join file on disk.\nInsert another disk for join file.");
      EXPECT_EQ(box.caption, "Tavrin Parcelo 95");
      EXPECT_EQ(box.style, kMbOkCancel | kMbIconWarning);
      if (++prompts == 2) {
        EXPECT_TRUE(posix_.ChangeDisk('A', DiskFolder(1)));
      }
      return kIdOk;
    }
    return kIdOk;
  };
  ASSERT_EQ(Run(), 1);
  EXPECT_EQ(prompts, 2);
  EXPECT_EQ(List(DiskFolder(1)), std::vector<std::string>{"B.000"});
  EXPECT_EQ(List(Host('A', "")), std::vector<std::string>{"Join-B.DAT.bat"});
}

TEST_F(SpannedRun, JoinRoomUsesTheEstimateAndAtLeast512Bytes) {
  // 40 pieces of 2048 bytes: the estimate (684) is above the 512-byte floor.
  const std::uint32_t estimate = JoinRoomEstimate(40, 5, false);
  ASSERT_EQ(estimate, 684u);
  const struct {
    std::uint32_t pieces;
    std::uint64_t free;
    int result;
  } cases[] = {{40, estimate - 1, 0}, {40, estimate, 1}, {1, 511, 0}, {1, 512, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.pieces) + " pieces, free " + std::to_string(c.free));
    TestSystem fresh(&posix_);
    InstallSystem(&fresh);
    fs::remove_all(Host('A', ""));
    MakeFolder(Host('A', ""));
    ResetSplitJob();
    MakeSource("B.DAT", c.pieces * 2048);
    RequestSpanned("B.DAT");
    fresh.freeBytes.assign(c.pieces + 1, 2048);
    fresh.freeBytes.push_back(c.free);
    fresh.onBox = [](const Box& box) {
      return box.text.rfind("Insert disk", 0) == 0 ? kIdOk : kIdCancel;
    };
    EXPECT_EQ(Run(), c.result);
    EXPECT_EQ(fs::exists(Host('A', "Join-B.DAT.bat")), c.result == 1);
    InstallSystem(sys_);
  }
  // With "Use DOS 8.3" the REN line is gone, and with it 21 + the name's length.
  EXPECT_EQ(JoinRoomEstimate(1, 5, false) - JoinRoomEstimate(1, 5, true), 26u);
}

TEST_F(SpannedRun, JoinRoomCheckAndJoinFileAgreeAroundSeventyPieces) {
  for (std::uint32_t pieces : {69u, 70u, 71u}) {
    const std::uint32_t needed =
        JoinRoomNeeded("HOLIDA~1", "HOLIDA~1.AVI", "Holiday Video.avi", pieces, false);
    for (const std::uint64_t free : {std::uint64_t{needed} - 1, std::uint64_t{needed}}) {
      SCOPED_TRACE(std::to_string(pieces) + " pieces, free " + std::to_string(free));
      TestSystem fresh(&posix_);
      InstallSystem(&fresh);
      fs::remove_all(Host('A', ""));
      MakeFolder(Host('A', ""));
      ResetSplitJob();
      MakeSource("Holiday Video.avi", pieces * 2048);
      RequestSpanned("Holiday Video.avi");
      fresh.freeBytes.assign(pieces + 1, 2048);
      fresh.freeBytes.push_back(free);
      fresh.onBox = [](const Box& box) {
        return box.text.rfind("Insert disk", 0) == 0 ? kIdOk : kIdCancel;
      };
      const bool room = free >= needed;
      EXPECT_EQ(Run(), room ? 1 : 0);
      const std::string join = Host('A', "Join-Holiday Video.avi.bat");
      ASSERT_EQ(fs::exists(join), room);
      if (room) {
        EXPECT_EQ(fs::file_size(join), needed) << "the check asked for what was written";
      }
      InstallSystem(sys_);
    }
  }
}

TEST_F(SpannedRun, ASourceThatChangesDuringTheRunIsNeitherCalledSplitNorDeleted) {
  const char kChanged[] =
      "The source file changed while it was being split: the pieces do not hold it as it is "
      "now, and no join file was written. Split it again.";
  const char kNotDeleted[] =
      "The source file changed after it was split: the pieces do not hold it as it is now, so "
      "it has not been deleted.";
  const std::string grown(50000, 'g');
  const struct {
    const char* what;
    bool spanned;
    const char* changesAt;  // the question during which the source changes
    bool appends;           // else it is written over in place, its size kept
    int result;
    std::vector<std::string> boxes;  // the error boxes, in order
    bool lookupFails = false;        // the source's lookup after the answer fails instead
  } cases[] = {
      {"grown while disk 2 is asked for", true, "Insert disk for piece 2", true, 0, {kChanged}},
      {"written over in place", true, "Insert disk for piece 2", false, 0, {kChanged}},
      {"grown while the deletion is asked", false, "Finished splitting.", true, 1, {kNotDeleted}},
      {"not looked up after the deletion is asked", false, "", true, 1, {}, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ResetSplitJob();
    fs::remove_all(root_ + "/disks");
    fs::remove_all(Host('A', ""));
    fs::remove_all(Host('C', "Out"));
    MakeFolder(Host('A', ""));
    MakeFolder(Host('C', "Out"));
    ResizeFloppy(100000);
    disksInserted_ = 0;
    sys_->boxes.clear();
    appSettings.deletePrompt = 1;
    const std::string source = Host('C', "Data/B.DAT");
    MakeSource("B.DAT", 150000);
    if (c.spanned) {
      RequestSpanned("B.DAT");
    } else {
      RequestSized("B.DAT", 60000);
    }
    sys_->onBox = [&](const Box& box) {
      if (c.lookupFails && box.text.rfind("Finished splitting.", 0) == 0) {
        sys_->FailCall(Op::Find, sys_->Calls(Op::Find) + 1, kErrorAccessDenied);
      }
      if (*c.changesAt != '\0' && box.text.rfind(c.changesAt, 0) == 0) {
        if (c.appends) {
          WriteHostFile(source, sourceBytes_ + grown);
        } else {
          std::string other = sourceBytes_;
          other[10] = static_cast<char>(other[10] ^ 1);
          WriteHostFile(source, other);
          // A coarse clock could give both writes one time; the change must still be seen.
          fs::last_write_time(source, fs::last_write_time(source) + std::chrono::seconds(2));
        }
      }
      if (box.text.rfind("Insert disk for piece", 0) == 0) {
        if (disksInserted_ > 0) {
          EXPECT_TRUE(posix_.ChangeDisk('A', DiskFolder(disksInserted_)));
        }
        ++disksInserted_;
        return kIdOk;
      }
      if (box.text.rfind("Finished splitting.", 0) == 0) return kIdYes;
      return kIdOk;
    };

    EXPECT_EQ(Run(), c.result);
    std::vector<std::string> errors;
    for (const Box& box : sys_->boxes) {
      if (box.caption == "Error") errors.push_back(box.text);
    }
    EXPECT_EQ(errors, c.boxes);
    EXPECT_TRUE(fs::exists(source)) << "never deleted";
    const std::string folder = c.spanned ? Host('A', "") : Host('C', "Out");
    EXPECT_EQ(fs::exists(folder + "/Join-B.DAT.bat"), !c.spanned) << "a join file only for what the pieces hold";
  }
}

TEST_F(SpannedRun, CancelInTheFirstDiskPromptLeavesNothing) {
  MakeSource("B.DAT", 10000);
  RequestSpanned("B.DAT");
  sys_->answers = {kIdCancel};
  EXPECT_EQ(Run(), 0);
  EXPECT_TRUE(List(Host('A', "")).empty());
  EXPECT_EQ(sys_->boxes.size(), 1u) << "no further message";
  EXPECT_EQ(splitJob.sourcePath, "C:\\Data\\B.DAT");
  EXPECT_EQ(splitJob.destinationPath, "A:\\");
  EXPECT_EQ(splitJob.running, 0);
  EXPECT_EQ(sys_->closedWindows, std::vector<WindowHandle>{progressDialog});
}

}  // namespace
}  // namespace parcelo
