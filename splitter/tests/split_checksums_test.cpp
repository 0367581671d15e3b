// The split's checksum file in the engine: beside the pieces and the join file, in the backup
// folder, on the last disk; what happens when it cannot be written, and to one of an earlier
// run.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "checksums/crc32.h"
#include "checksums/piece_checksums.h"
#include "engine/split_job.h"
#include "engine/split_run.h"
#include "split_fixture.h"

namespace parcelo {
namespace {
namespace fs = std::filesystem;

std::string Hex(const std::string& bytes) {
  return CrcHex(Crc32UpdateByTable(0, bytes.data(), bytes.size()));
}

class SplitChecksumFile : public SplitFixture {
 protected:
  void Prepare(bool write = true) {
    RequestSizedWithBackups();
    checksums_ = std::make_unique<PieceChecksums>(write);
    splitJob.checksums = checksums_.get();
  }

  std::string Expected() const {
    return "; Tavrin Parcelo 95: the CRC-32 of each piece of one file\r\n"
           "; Source: BIG.DAT\r\n; Size: 2500 bytes\r\n; CRC-32: " + Hex(sourceBytes_) + "\r\n"
           "BIG.000 " + Hex(sourceBytes_.substr(0, 1000)) + "\r\n"
           "BIG.001 " + Hex(sourceBytes_.substr(1000, 1000)) + "\r\n"
           "BIG.002 " + Hex(sourceBytes_.substr(2000)) + "\r\n";
  }

  std::unique_ptr<PieceChecksums> checksums_;
};

TEST_F(SplitChecksumFile, BesideThePiecesAndInTheBackupFolder) {
  Prepare();
  ASSERT_EQ(Run(), 1);
  const std::vector<std::string> all = {"BIG.000", "BIG.001", "BIG.002", "BIG.SFV",
                                        "Join-BIG.DAT.bat"};
  EXPECT_EQ(List(Host('C', "Out")), all);
  EXPECT_EQ(List(Host('C', "Backup")), all);
  EXPECT_EQ(ReadHostFile(Host('C', "Out/BIG.SFV")), Expected());
  EXPECT_EQ(ReadHostFile(Host('C', "Backup/BIG.SFV")), Expected());
  for (const Box& box : sys_->boxes) EXPECT_NE(box.caption, "Error") << box.text;
}

TEST_F(SplitChecksumFile, FailuresEndTheRunOrOnlyDropTheBackup) {
  // Creates: 3 pieces and their backups, then the checksum file and its backup (7, 8), then
  // the join file and its backup. Writes: 6 for the pieces, then 7 and 8 for the checksum
  // files.
  const struct {
    Op op;
    int n;
    int result;
    const char* message;
    std::vector<std::string> out;
    std::vector<std::string> backup;
  } cases[] = {
      {Op::Create, 7, 0, "Unable to write checksum file, drive may be full.",
       {"BIG.000", "BIG.001", "BIG.002"}, {"BIG.000", "BIG.001", "BIG.002"}},
      {Op::Write, 7, 0, "Unable to write checksum file, drive may be full.",
       {"BIG.000", "BIG.001", "BIG.002"}, {"BIG.000", "BIG.001", "BIG.002"}},
      {Op::Create, 8, 1, "Error creating backup of checksum file. Backups have been disabled.",
       {"BIG.000", "BIG.001", "BIG.002", "BIG.SFV", "Join-BIG.DAT.bat"},
       {"BIG.000", "BIG.001", "BIG.002"}},
      {Op::Write, 8, 1, "Error writing to backup of checksum file. Backups have been disabled.",
       {"BIG.000", "BIG.001", "BIG.002", "BIG.SFV", "Join-BIG.DAT.bat"},
       {"BIG.000", "BIG.001", "BIG.002"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    Prepare();
    TestSystem faulty(&posix_);
    InstallSystem(&faulty);
    faulty.FailCall(c.op, c.n, kErrorDiskFull);
    EXPECT_EQ(Run(), c.result);
    std::vector<std::string> errors;
    for (const Box& box : faulty.boxes) {
      if (box.caption == "Error") errors.push_back(box.text);
    }
    EXPECT_EQ(errors, std::vector<std::string>{c.message});
    EXPECT_EQ(List(Host('C', "Out")), c.out);
    EXPECT_EQ(List(Host('C', "Backup")), c.backup);
    if (c.result == 1) {
      EXPECT_EQ(ReadHostFile(Host('C', "Out/BIG.SFV")), Expected());
    }
    EXPECT_TRUE(faulty.openFiles.empty());
    InstallSystem(sys_);
  }
}

TEST_F(SplitChecksumFile, OneOfAnEarlierRunGoesBeforeTheFirstPiece) {
  for (const bool write : {true, false}) {
    SCOPED_TRACE(write ? "with checksums" : "--no-checksums");
    Prepare(write);
    WriteHostFile(Host('C', "Out/BIG.SFV"), "BIG.000 00000000\r\n");
    WriteHostFile(Host('C', "Backup/big.sfv"), "BIG.000 00000000\r\n");
    // The run fails at the second piece: the old file is gone already all the same.
    TestSystem faulty(&posix_);
    InstallSystem(&faulty);
    faulty.FailCall(Op::Create, 3, kErrorDiskFull);
    EXPECT_EQ(Run(), 0);
    EXPECT_FALSE(fs::exists(Host('C', "Out/BIG.SFV")));
    EXPECT_FALSE(fs::exists(Host('C', "Backup/big.sfv")));
    InstallSystem(sys_);

    Prepare(write);
    WriteHostFile(Host('C', "Out/BIG.SFV"), "BIG.000 00000000\r\n");
    ASSERT_EQ(Run(), 1);
    EXPECT_EQ(fs::exists(Host('C', "Out/BIG.SFV")), write);
    if (write) {
      EXPECT_EQ(ReadHostFile(Host('C', "Out/BIG.SFV")), Expected());
    }
  }
}

TEST_F(SplitChecksumFile, OneOfAnEarlierRunThatStaysStopsTheRun) {
  Prepare();
  WriteHostFile(Host('C', "Out/BIG.SFV"), "BIG.000 00000000\r\n");
  sys_->FailCall(Op::Remove, 1, kErrorAccessDenied);
  EXPECT_EQ(Run(), 0);
  ASSERT_FALSE(sys_->boxes.empty());
  EXPECT_EQ(sys_->boxes.back().text,
            "The checksum file \"C:\\Out\\BIG.SFV\" lists pieces that this split writes over, and "
            "it could not be removed. Remove it, then split again.");
  EXPECT_EQ(List(Host('C', "Out")), std::vector<std::string>{"BIG.SFV"}) << "no piece written";
}

TEST_F(SplitChecksumFile, ASourceNamedLikeItIsRefusedBeforeThePieces) {
  Prepare();
  MakeSource("BIG.SFV", 2500);
  RequestSized("BIG.SFV", 1000);
  splitJob.destinationPath = "C:\\Data";
  splitJob.backupEnabled = 0;
  EXPECT_EQ(Run(), 0);
  ASSERT_FALSE(sys_->boxes.empty());
  // Its join file would also rebuild it onto that checksum file.
  EXPECT_EQ(sys_->boxes.back().text,
            "\"BIG.SFV\" cannot be rebuilt under the name BIG.SFV: a file of this split has that "
            "name, and rebuilding would write over it. Rename the source file, then split again.");
  EXPECT_EQ(List(Host('C', "Data")), (std::vector<std::string>{"BIG.DAT", "BIG.SFV"}));
  EXPECT_EQ(ReadHostFile(Host('C', "Data/BIG.SFV")), sourceBytes_);
}

TEST_F(SplitChecksumFile, SpannedItGoesOnTheLastDiskWithTheJoinFile) {
  ResizeFloppy(100000);
  MakeSource("B.DAT", 250000);
  RequestSpanned("B.DAT");
  PieceChecksums checksums(true);
  splitJob.checksums = &checksums;
  SwapDisksOnPrompt();
  ASSERT_EQ(Run(), 1);
  EXPECT_EQ(List(DiskFolder(1)), std::vector<std::string>{"B.000"});
  EXPECT_EQ(List(DiskFolder(2)), std::vector<std::string>{"B.001"});
  EXPECT_EQ(List(Host('A', "")), (std::vector<std::string>{"B.002", "B.SFV", "Join-B.DAT.bat"}));
  EXPECT_EQ(ReadHostFile(Host('A', "B.SFV")),
            "; Tavrin Parcelo 95: the CRC-32 of each piece of one file\r\n"
            "; Source: B.DAT\r\n; Size: 250000 bytes\r\n; CRC-32: " + Hex(sourceBytes_) + "\r\n"
            "B.000 " + Hex(sourceBytes_.substr(0, 100000)) + "\r\n"
            "B.001 " + Hex(sourceBytes_.substr(100000, 100000)) + "\r\n"
            "B.002 " + Hex(sourceBytes_.substr(200000)) + "\r\n");
}

}  // namespace
}  // namespace parcelo
