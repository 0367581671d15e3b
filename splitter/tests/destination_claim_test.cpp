// What a run settles in its folders before the first piece, through the engine as
// Parcelo95.exe runs it: whose pieces it may write over, the locks against a second run,
// the join file of the old pieces, and a join file name that can be a file.
#include <filesystem>

#include "cli_run.h"
#include "engine/app_settings.h"
#include "engine/split_job.h"
#include "engine/split_messages.h"
#include "engine/split_run.h"
#include "split_fixture.h"

namespace parcelo {
namespace {
namespace fs = std::filesystem;

class DestinationClaim : public SplitFixture {
 protected:
  // A source of size bytes at C:\Data\[<folder>\]<name>, requested for 1000-byte pieces in
  // C:\Out.
  void Request(const std::string& folder, const std::string& name, std::uint32_t size) {
    ResetSplitJob();
    MakeFolder(Host('C', "Data/" + folder));
    MakeSource(folder.empty() ? name : folder + "/" + name, size);
    RequestSized(folder.empty() ? name : folder + "\\" + name, 1000);
    sys_->boxes.clear();
  }

  std::vector<std::string> Errors() const {
    std::vector<std::string> texts;
    for (const Box& box : sys_->boxes) {
      if (box.caption == "Error") texts.push_back(box.text);
    }
    return texts;
  }
};

TEST_F(DestinationClaim, WhereTheFileSystemKeepsShortNamesAnotherSourcesPiecesStopTheRun) {
  Request("a", "Holiday Photos.avi", 2500);
  ASSERT_EQ(Run(), 1);
  const std::string photos = sourceBytes_;
  const auto before = Snapshot(Host('C', "Out"));

  sys_->fileSystemShortNames = true;
  Request("b", "Holiday Video.avi", 2600);
  const int creates = sys_->Calls(Op::Create);
  EXPECT_EQ(Run(), 0);
  ASSERT_EQ(sys_->boxes.size(), 1u);
  EXPECT_EQ(sys_->boxes[0].text,
            "\"HOLIDA~1.000\" in C:\\Out belongs to \"Join-Holiday Photos.avi.bat\", the join "
            "file of another file, and would be written over. Choose another destination folder, "
            "or move those files away first.");
  EXPECT_EQ(sys_->boxes[0].caption, "Error");
  EXPECT_EQ(sys_->boxes[0].style, kMbIconError);
  EXPECT_EQ(sys_->Calls(Op::Create), creates) << "nothing written";
  EXPECT_EQ(Snapshot(Host('C', "Out")), before);
  EXPECT_EQ(JoinPieces({Host('C', "Out")}, "HOLIDA~1"), photos);

  // The same source split again writes over its own pieces, as always.
  Request("a", "Holiday Photos.avi", 2700);
  ASSERT_EQ(Run(), 1);
  EXPECT_EQ(JoinPieces({Host('C', "Out")}, "HOLIDA~1"), sourceBytes_);
}

TEST_F(DestinationClaim, TheOldJoinFileGoesJustBeforeTheFirstPieceIsWrittenOver) {
  MakeFolder(Host('C', "Backup"));
  const std::vector<std::string> joins = {Host('C', "Out/Join-BIG.DAT.bat"),
                                          Host('C', "Backup/Join-BIG.DAT.bat")};
  auto request = [&](std::uint32_t size) {
    Request("", "BIG.DAT", size);
    splitJob.backupEnabled = 1;
    splitJob.backupFolder = "C:\\Backup";
  };
  request(2500);
  ASSERT_EQ(Run(), 1);

  // The new run fails writing its second piece.
  request(2600);
  ASSERT_EQ(PrepareSplitRun(), 1);
  for (const std::string& join : joins) EXPECT_TRUE(fs::exists(join)) << "nothing written over yet";
  std::vector<bool> joinsAtFirstCreate;
  sys_->beforeCall = [&](Op op, int n) {
    if (op == Op::Create && joinsAtFirstCreate.empty()) {
      for (const std::string& join : joins) joinsAtFirstCreate.push_back(fs::exists(join));
    }
    (void)n;
  };
  sys_->FailCall(Op::Write, sys_->Calls(Op::Write) + 3, kErrorDiskFull);  // piece 2, after piece 1 and its backup
  EXPECT_EQ(SplitWorker(), 0);
  EXPECT_EQ(joinsAtFirstCreate, (std::vector<bool>{false, true}))
      << "the destination's join file goes before the first piece, the backup's before the first backup";
  EXPECT_EQ(Errors(), std::vector<std::string>{kTextWriteFailedSized});
  const std::vector<std::string> pieces = {"BIG.000", "BIG.001", "BIG.002"};
  EXPECT_EQ(List(Host('C', "Out")), pieces);
  EXPECT_EQ(List(Host('C', "Backup")), pieces);

  // A join file that cannot be removed stops the run before any piece is written over.
  sys_->beforeCall = nullptr;
  request(2500);
  ASSERT_EQ(Run(), 1);
  request(2600);
  const auto before = Snapshot(Host('C', "Out"));
  const int creates = sys_->Calls(Op::Create);
  sys_->FailCall(Op::Remove, sys_->Calls(Op::Remove) + 1, kErrorAccessDenied);
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(Errors(), std::vector<std::string>{
                          "The join file \"C:\\Out\\Join-BIG.DAT.bat\" names pieces that this split "
                          "writes over, and it could not be removed. Remove it, then split again."});
  EXPECT_EQ(sys_->Calls(Op::Create), creates);
  EXPECT_EQ(Snapshot(Host('C', "Out")), before);
}

TEST_F(DestinationClaim, ADiskHoldingAnotherSourcesPiecesIsRefusedOnceInserted) {
  WriteHostFile(Host('A', "B.000"), "another file's first piece");
  WriteHostFile(Host('A', "Join-Other B.dat.bat"),
                "@ECHO OFF\r\nCOPY /B B.000+B.001 B.DAT\r\nREN B.DAT \"Other B.dat\"\r\nECHO.Done.");
  const auto before = Snapshot(Host('A', ""));
  MakeSource("B.DAT", 5000);
  RequestSpanned("B.DAT");
  SwapDisksOnPrompt();
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(Errors(), std::vector<std::string>{
                          "\"B.000\" in A:\\ belongs to \"Join-Other B.dat.bat\", the join file of "
                          "another file, and would be written over. Choose another destination "
                          "folder, or move those files away first."});
  EXPECT_EQ(Snapshot(Host('A', "")), before);
}

TEST_F(DestinationClaim, AnotherRunsLockStopsTheRunBeforeAnythingIsWritten) {
  PosixFileSystem other;  // another process's view: its locks are its own open files
  other.MapDrive('C', root_ + "/c", DriveType::Fixed);
  MakeFolder(Host('C', "Backup"));
  const struct {
    const char* folder;
    const char* name;
    bool fileSystemShortNames;
    const char* refusal;  // nullptr: the run takes the next tail
  } cases[] = {
      {"C:\\Out", "Join-Holiday Video.avi.bat", false,
       "Another split is writing \"Join-Holiday Video.avi.bat\" in C:\\Out right now. Wait until "
       "it has finished, then split again."},
      {"C:\\Backup", "join-holiday video.avi.bat", false,
       "Another split is writing \"Join-Holiday Video.avi.bat\" in C:\\Backup right now. Wait "
       "until it has finished, then split again."},
      // The pieces' names, as the lock on them is keyed.
      {"C:\\Out", "HOLIDA~1.*", true,
       "Another split is writing \"HOLIDA~1.000\" in C:\\Out right now. Wait until it has "
       "finished, then split again."},
      {"C:\\Out", "HOLIDA~1.*", false, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.folder) + " " + c.name);
    fs::remove_all(Host('C', "Out"));
    MakeFolder(Host('C', "Out"));
    NameLock lock = kNoLock;
    ASSERT_TRUE(other.LockName(c.folder, c.name, &lock));
    ASSERT_NE(lock, kNoLock);
    sys_->fileSystemShortNames = c.fileSystemShortNames;
    Request("b", "Holiday Video.avi", 2500);
    splitJob.backupEnabled = 1;
    splitJob.backupFolder = "C:\\Backup";
    const int creates = sys_->Calls(Op::Create);
    if (c.refusal != nullptr) {
      EXPECT_EQ(Run(), 0);
      EXPECT_EQ(Errors(), std::vector<std::string>{c.refusal});
      EXPECT_EQ(sys_->Calls(Op::Create), creates);
      EXPECT_TRUE(List(Host('C', "Out")).empty());
    } else {
      EXPECT_EQ(Run(), 1);
      EXPECT_TRUE(Errors().empty());
      EXPECT_EQ(JoinPieces({Host('C', "Out")}, "HOLIDA~2"), sourceBytes_);
    }
    other.UnlockName(lock);
    // Whatever the run did, it holds nothing any more.
    for (const char* name : {"Join-Holiday Video.avi.bat", "HOLIDA~1.*", "HOLIDA~2.*"}) {
      NameLock again = kNoLock;
      EXPECT_TRUE(other.LockName("C:\\Out", name, &again)) << name;
      other.UnlockName(again);
    }
  }
}

TEST_F(DestinationClaim, AJoinFileNameThatCannotBeAFileIsSettledBeforeTheFirstPiece) {
  MakeFolder(Host('C', "Backup"));
  const std::string name = std::string(243, 'x') + ".bin";
  Request("", name, 2500);
  splitJob.backupEnabled = 1;
  splitJob.backupFolder = "C:\\Backup";
  std::size_t boxesAtFirstCreate = 0;
  sys_->beforeCall = [&](Op op, int) {
    if (op == Op::Create && boxesAtFirstCreate == 0) boxesAtFirstCreate = sys_->boxes.size();
  };
  ASSERT_EQ(Run(), 1);
  ASSERT_GE(sys_->boxes.size(), 1u);
  EXPECT_EQ(boxesAtFirstCreate, 1u);
  EXPECT_EQ(sys_->boxes[0].text,
            "The name \"" + name + "\" is too long for the join file's name and for DOS. The "
            "join file is named \"Join-XXXXXX~1.BIN.bat\" and rebuilds the file as XXXXXX~1.BIN.");
  EXPECT_EQ(sys_->boxes[0].caption, "Warning");
  EXPECT_EQ(sys_->boxes[0].style, kMbOk | kMbIconWarning);
  EXPECT_TRUE(Errors().empty());
  const std::vector<std::string> files = {"Join-XXXXXX~1.BIN.bat", "XXXXXX~1.000", "XXXXXX~1.001",
                                          "XXXXXX~1.002"};
  EXPECT_EQ(List(Host('C', "Out")), files);
  EXPECT_EQ(List(Host('C', "Backup")), files);
}

}  // namespace
}  // namespace parcelo
