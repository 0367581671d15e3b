// A chunk moved in steps (as the Win32 System moves it): the files, positions and results of
// one plain read and write, and a failure in any step judged as the plain way judges it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <vector>

#include "platform/posix/posix_system.h"
#include "test_system.h"

namespace parcelo {
namespace {
namespace fs = std::filesystem;

constexpr std::uint32_t kStep = 32768;
constexpr std::uint32_t kChunk = 100000;  // three whole steps and a part

struct Expected {
  bool ok;
  std::uint32_t bytes;
  std::uint32_t error;
};

struct Case {
  const char* name;
  std::uint32_t startAt;  // where the source's position stands before the chunk
  bool backup;
  Op failing;  // the failing-th call of it fails with kErrorDiskFull, 0 for none
  int failing_call;
  Expected read, write, backupWrite;
  std::uint32_t pieceBytes, backupBytes;  // what the files hold afterwards
  int reads, writes;                      // calls made
};

const Expected kNotTried = {false, 0, 0};

class ChunkSteps : public ::testing::TestWithParam<Case> {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("chunk-steps-" + std::to_string(getpid()));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    std::mt19937 random(11);
    for (int i = 0; i < 300000; ++i) bytes_ += static_cast<char>(random());
    std::ofstream(folder_ / "source", std::ios::binary) << bytes_;
  }
  void TearDown() override { fs::remove_all(folder_); }

  FileHandle Open(const char* name, int flags) {
    const int fd = open((folder_ / name).c_str(), flags, 0644);
    EXPECT_GE(fd, 0) << name;
    system_.openFiles.insert(fd);
    return fd;
  }
  std::string Read(const char* name) const {
    std::ifstream in(folder_ / name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }

  fs::path folder_;
  std::string bytes_;
  PosixSystem posix_;
  TestSystem system_{&posix_};
};

void ExpectResult(const IoResult& got, const Expected& want, const char* what) {
  EXPECT_EQ(got.ok, want.ok) << what;
  EXPECT_EQ(got.bytes, want.bytes) << what;
  EXPECT_EQ(got.error, want.error) << what;
}

TEST_P(ChunkSteps, GiveThePlainWaysFilesAndResults) {
  const Case& c = GetParam();
  const FileHandle source = Open("source", O_RDONLY);
  ASSERT_EQ(lseek(static_cast<int>(source), c.startAt, SEEK_SET), c.startAt);
  const FileHandle piece = Open("piece", O_WRONLY | O_CREAT | O_TRUNC);
  const FileHandle backup = c.backup ? Open("backup", O_WRONLY | O_CREAT | O_TRUNC) : kInvalidFile;
  if (c.failing_call > 0) system_.FailCall(c.failing, c.failing_call, kErrorDiskFull);
  std::vector<char> buffer(kChunk);

  const ChunkResult result =
      CopyChunkInSteps(system_, source, piece, backup, buffer.data(), kChunk, kStep);

  ExpectResult(result.read, c.read, "read");
  ExpectResult(result.write, c.write, "piece write");
  ExpectResult(result.backup, c.backupWrite, "backup write");
  EXPECT_EQ(system_.Calls(Op::Read), c.reads);
  EXPECT_EQ(system_.Calls(Op::Write), c.writes);
  EXPECT_TRUE(Read("piece") == bytes_.substr(c.startAt, c.pieceBytes));
  if (c.backup) {
    EXPECT_TRUE(Read("backup") == bytes_.substr(c.startAt, c.backupBytes));
  }
  // The source stands where the bytes read end, for the next chunk.
  EXPECT_EQ(lseek(static_cast<int>(source), 0, SEEK_CUR), c.startAt + c.read.bytes);
  for (const FileHandle file : {source, piece, backup}) {
    if (file != kInvalidFile) close(static_cast<int>(file));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ChunkSteps,
    ::testing::Values(
        Case{"WholeChunk", 0, true, Op::Read, 0, {true, kChunk, 0}, {true, kChunk, 0},
             {true, kChunk, 0}, kChunk, kChunk, 4, 8},
        Case{"PastTheEndOfTheSource", 250000, false, Op::Read, 0, {true, 50000, 0},
             {true, 50000, 0}, kNotTried, 50000, 0, 2, 2},
        Case{"AtTheEnd", 300000, true, Op::Read, 0, {true, 0, 0}, kNotTried, kNotTried, 0, 0, 1,
             0},
        // The run ends with the read message; what earlier steps wrote stays, as a piece
        // cut short by a failed read does.
        Case{"ReadFailsInTheThirdStep", 0, false, Op::Read, 3, {false, 2 * kStep, kErrorDiskFull},
             {true, 2 * kStep, 0}, kNotTried, 2 * kStep, 0, 3, 2},
        Case{"PieceWriteFailsInTheSecondStep", 0, true, Op::Write, 3,
             {true, 2 * kStep, 0}, {false, kStep, kErrorDiskFull}, {true, kStep, 0}, kStep,
             kStep, 2, 3},
        // A backup that fails is written no more, and the piece gets the whole chunk.
        Case{"BackupFailsInTheSecondStep", 0, true, Op::Write, 4, {true, kChunk, 0},
             {true, kChunk, 0}, {false, kStep, kErrorDiskFull}, kChunk, kStep, 4, 6}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace parcelo
