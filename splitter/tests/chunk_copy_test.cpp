// The POSIX System's chunk copy: the same files, positions and results as the plain way,
// whether the kernel moves the bytes or refuses to.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "engine/split_job.h"
#include "platform/posix/posix_file_system.h"
#include "split_fixture.h"

namespace parcelo {
namespace {
namespace fs = std::filesystem;

class ChunkCopy : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("chunk-" + std::to_string(getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    std::mt19937 random(7);
    for (int i = 0; i < 300000; ++i) bytes_ += static_cast<char>(random());
    std::ofstream(folder_ / "source", std::ios::binary) << bytes_;
  }
  void TearDown() override { fs::remove_all(folder_); }

  int Open(const char* name, int flags) {
    const int fd = open((folder_ / name).c_str(), flags, 0644);
    EXPECT_GE(fd, 0) << name;
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
  PosixFileSystem posix_;
  char buffer_[100000];
};

TEST_F(ChunkCopy, ChunksMoveOnLikePlainReadsAndWrites) {
  for (const bool backup : {false, true}) {
    SCOPED_TRACE(backup ? "with backup" : "without backup");
    const int in = Open("source", O_RDONLY);
    const int out = Open("piece", O_WRONLY | O_CREAT | O_TRUNC);
    const int copy = backup ? Open("backup", O_WRONLY | O_CREAT | O_TRUNC) : -1;
    const FileHandle copyHandle = backup ? copy : kInvalidFile;
    // Kernel chunks mixed with plain ones must keep every position right.
    ChunkResult first = posix_.CopyChunk(in, out, copyHandle, buffer_, 100000, nullptr);
    ChunkResult second = posix_.CopyChunk(in, out, copyHandle, buffer_, 50000, nullptr);
    const IoResult plainRead = posix_.ReadFile(in, buffer_, 50000);
    ASSERT_TRUE(posix_.WriteFile(out, buffer_, plainRead.bytes).ok);
    if (backup) {
      ASSERT_TRUE(posix_.WriteFile(copy, buffer_, plainRead.bytes).ok);
    }
    // Asking past the end moves only the rest, as a plain read does.
    ChunkResult last = posix_.CopyChunk(in, out, copyHandle, buffer_, 200000, nullptr);
    ChunkResult after = posix_.CopyChunk(in, out, copyHandle, buffer_, 1000, nullptr);
    for (const ChunkResult* chunk : {&first, &second, &last}) {
      EXPECT_TRUE(chunk->read.ok && chunk->write.ok);
      EXPECT_EQ(chunk->write.bytes, chunk->read.bytes);
      EXPECT_EQ(chunk->backup.ok, backup);
    }
    EXPECT_EQ(first.read.bytes, 100000u);
    EXPECT_EQ(second.read.bytes, 50000u);
    EXPECT_EQ(last.read.bytes, 100000u);
    EXPECT_TRUE(after.read.ok);
    EXPECT_EQ(after.read.bytes, 0u) << "the end of the source";
    EXPECT_FALSE(after.write.ok) << "nothing to write after the end";
    close(in);
    close(out);
    if (backup) close(copy);
    EXPECT_TRUE(Read("piece") == bytes_);
    if (backup) {
      EXPECT_TRUE(Read("backup") == bytes_);
    }
  }
}

TEST_F(ChunkCopy, RefusedOrFailingTargetsGetThePlainWaysResults) {
  // A pipe takes no kernel copy from a file on every kernel; the plain way delivers.
  int pipeEnds[2];
  ASSERT_EQ(pipe(pipeEnds), 0);
  fcntl(pipeEnds[1], F_SETPIPE_SZ, 1 << 20);
  int in = Open("source", O_RDONLY);
  const ChunkResult piped = posix_.CopyChunk(in, pipeEnds[1], kInvalidFile, buffer_, 60000, nullptr);
  EXPECT_TRUE(piped.read.ok && piped.write.ok);
  EXPECT_EQ(piped.write.bytes, 60000u);
  std::string received(60000, '\0');
  std::size_t got = 0;
  while (got < received.size()) {
    const ssize_t n = read(pipeEnds[0], &received[got], received.size() - got);
    ASSERT_GT(n, 0);
    got += static_cast<std::size_t>(n);
  }
  EXPECT_TRUE(received == bytes_.substr(0, 60000));
  close(pipeEnds[0]);
  close(pipeEnds[1]);

  // A full disk is a failed write after a good read: the write message, not the read one.
  const int full = open("/dev/full", O_WRONLY);
  ASSERT_GE(full, 0);
  const ChunkResult onFull = posix_.CopyChunk(in, full, kInvalidFile, buffer_, 1000, nullptr);
  EXPECT_TRUE(onFull.read.ok);
  EXPECT_FALSE(onFull.write.ok);
  EXPECT_EQ(onFull.write.error, kErrorDiskFull);
  // A failed backup leaves the piece written and says so on the backup alone.
  const int out = Open("piece", O_WRONLY | O_CREAT | O_TRUNC);
  const ChunkResult badBackup = posix_.CopyChunk(in, out, full, buffer_, 1000, nullptr);
  EXPECT_TRUE(badBackup.read.ok && badBackup.write.ok);
  EXPECT_FALSE(badBackup.backup.ok);
  EXPECT_EQ(badBackup.backup.error, kErrorDiskFull);
  close(out);
  EXPECT_EQ(Read("piece").size(), 1000u);
  close(in);

  // A source that cannot be read fails the read, and nothing is written.
  in = open(folder_.c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_GE(in, 0);
  const int other = Open("other", O_WRONLY | O_CREAT | O_TRUNC);
  const ChunkResult unreadable = posix_.CopyChunk(in, other, kInvalidFile, buffer_, 1000, nullptr);
  EXPECT_FALSE(unreadable.read.ok);
  EXPECT_NE(unreadable.read.error, 0u);
  EXPECT_FALSE(unreadable.write.ok);
  close(in);
  close(other);
  close(full);
  EXPECT_EQ(Read("other").size(), 0u);
}

using KernelChunkRun = SplitFixture;

// The engine on the kernel copy writes what it writes on the plain one, step for step.
TEST_F(KernelChunkRun, SameFilesAndProgressAsThePlainWay) {
  std::vector<std::string> joins, steps;
  for (const bool kernel : {false, true}) {
    SCOPED_TRACE(kernel ? "kernel" : "plain");
    fs::remove_all(Host('C', "Out"));
    fs::remove_all(Host('C', "Backup"));
    MakeFolder(Host('C', "Out"));
    MakeFolder(Host('C', "Backup"));
    MakeSource("Holiday Video.avi", 12 << 20);
    RequestSized("Holiday Video.avi", 5 << 20);
    splitJob.backupEnabled = 1;
    splitJob.backupFolder = "C:\\Backup";
    sys_->innerChunks = kernel;
    sys_->windowCalls.clear();
    ASSERT_EQ(Run(), 1);
    EXPECT_TRUE(JoinPieces({Host('C', "Out")}, "HOLIDA~1") == sourceBytes_);
    EXPECT_TRUE(JoinPieces({Host('C', "Backup")}, "HOLIDA~1") == sourceBytes_);
    joins.push_back(ReadHostFile(Host('C', "Out/Join-Holiday Video.avi.bat")));
    std::string calls;
    for (const std::string& call : sys_->windowCalls) calls += call + "\n";
    steps.push_back(calls);
  }
  EXPECT_EQ(joins[0], joins[1]);
  EXPECT_EQ(steps[0], steps[1]);
}

}  // namespace
}  // namespace parcelo

namespace parcelo {
namespace {

// Records what it is shown, in order.
class RecordingTap : public ChunkTap {
 public:
  void Seen(const void* data, std::uint32_t count) override {
    seen.append(static_cast<const char*>(data), count);
    ++calls;
  }
  std::string seen;
  int calls = 0;
};

TEST_F(ChunkCopy, TappedChunksPassThroughTheBufferInOrder) {
  const int in = Open("source", O_RDONLY);
  const int out = Open("piece", O_WRONLY | O_CREAT | O_TRUNC);
  const int copy = Open("backup", O_WRONLY | O_CREAT | O_TRUNC);
  RecordingTap tap;
  std::vector<char> big(300000);
  const ChunkResult first = posix_.CopyChunk(in, out, copy, big.data(), 250000, &tap);
  const ChunkResult last = posix_.CopyChunk(in, out, copy, big.data(), 250000, &tap);
  const ChunkResult after = posix_.CopyChunk(in, out, copy, big.data(), 1000, &tap);
  EXPECT_TRUE(first.read.ok && first.write.ok && first.backup.ok);
  EXPECT_EQ(first.read.bytes, 250000u);
  EXPECT_EQ(first.write.bytes, 250000u);
  EXPECT_EQ(last.read.bytes, 50000u) << "the rest, as one short read";
  EXPECT_EQ(last.backup.bytes, 50000u);
  EXPECT_TRUE(after.read.ok);
  EXPECT_EQ(after.read.bytes, 0u);
  EXPECT_FALSE(after.write.ok) << "nothing to write after the end";
  EXPECT_GT(tap.calls, 2) << "in steps, not the whole chunk at once";
  close(in);
  close(out);
  close(copy);
  EXPECT_TRUE(tap.seen == bytes_);
  EXPECT_TRUE(Read("piece") == bytes_);
  EXPECT_TRUE(Read("backup") == bytes_);
}

TEST_F(ChunkCopy, TappedChunksReportEachFailureAsThePlainWayDoes) {
  const int in = Open("source", O_RDONLY);
  const int full = open("/dev/full", O_WRONLY);
  ASSERT_GE(full, 0);
  RecordingTap tap;
  std::vector<char> big(300000);
  const ChunkResult onFull = posix_.CopyChunk(in, full, kInvalidFile, big.data(), 200000, &tap);
  EXPECT_TRUE(onFull.read.ok);
  EXPECT_FALSE(onFull.write.ok);
  EXPECT_EQ(onFull.write.error, kErrorDiskFull);

  // A failed backup stops only the backup: the piece gets the whole chunk.
  lseek(in, 0, SEEK_SET);
  const int out = Open("piece", O_WRONLY | O_CREAT | O_TRUNC);
  const ChunkResult badBackup = posix_.CopyChunk(in, out, full, big.data(), 200000, &tap);
  EXPECT_TRUE(badBackup.read.ok && badBackup.write.ok);
  EXPECT_EQ(badBackup.write.bytes, 200000u);
  EXPECT_FALSE(badBackup.backup.ok);
  EXPECT_EQ(badBackup.backup.error, kErrorDiskFull);
  close(out);
  EXPECT_EQ(Read("piece").size(), 200000u);
  close(in);
  close(full);

  const int folder = open(folder_.c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_GE(folder, 0);
  const int other = Open("other", O_WRONLY | O_CREAT | O_TRUNC);
  const ChunkResult unreadable = posix_.CopyChunk(folder, other, kInvalidFile, big.data(), 1000, &tap);
  EXPECT_FALSE(unreadable.read.ok);
  EXPECT_NE(unreadable.read.error, 0u);
  EXPECT_FALSE(unreadable.write.ok);
  close(folder);
  close(other);
  EXPECT_EQ(Read("other").size(), 0u);
}


// Data, a hole, data across a chunk's end, and a hole to the file's end: both ways copy the
// data, leave the holes, give each file its full size, and show the tap every byte.
TEST_F(ChunkCopy, HolesOfASparseSourceStayHoles) {
  constexpr off_t kSize = 8 << 20;
  const int make = Open("sparse", O_WRONLY | O_CREAT | O_TRUNC);
  ASSERT_EQ(pwrite(make, bytes_.data(), 100000, 0), 100000);
  ASSERT_EQ(pwrite(make, bytes_.data() + 100000, 200000, 3 << 20), 200000);
  ASSERT_EQ(ftruncate(make, kSize), 0);
  close(make);
  std::string expected(kSize, '\0');
  expected.replace(0, 100000, bytes_, 0, 100000);
  expected.replace(3 << 20, 200000, bytes_, 100000, 200000);
  // 3 MiB + 100,000 falls inside the second chunk's data.
  constexpr std::uint32_t kChunk = (3 << 20) + 100000;
  for (const bool tapped : {false, true}) {
    SCOPED_TRACE(tapped ? "through the buffer" : "inside the kernel");
    const int in = Open("sparse", O_RDONLY);
    const int out = Open("piece", O_WRONLY | O_CREAT | O_TRUNC);
    const int copy = Open("backup", O_WRONLY | O_CREAT | O_TRUNC);
    RecordingTap tap;
    std::vector<char> big(kChunk);
    std::uint64_t moved = 0;
    for (int i = 0; i < 3; ++i) {
      const ChunkResult chunk =
          posix_.CopyChunk(in, out, copy, big.data(), kChunk, tapped ? &tap : nullptr);
      ASSERT_TRUE(chunk.read.ok && chunk.write.ok && chunk.backup.ok);
      EXPECT_EQ(chunk.write.bytes, chunk.read.bytes);
      EXPECT_EQ(chunk.backup.bytes, chunk.read.bytes);
      moved += chunk.read.bytes;
      EXPECT_EQ(lseek(in, 0, SEEK_CUR), static_cast<off_t>(moved));
      EXPECT_EQ(lseek(out, 0, SEEK_CUR), static_cast<off_t>(moved));
    }
    EXPECT_EQ(moved, static_cast<std::uint64_t>(kSize));
    for (const int fd : {in, out, copy}) close(fd);
    for (const char* name : {"piece", "backup"}) {
      SCOPED_TRACE(name);
      EXPECT_TRUE(Read(name) == expected);
      struct stat info;
      ASSERT_EQ(stat((folder_ / name).c_str(), &info), 0);
      EXPECT_LT(info.st_blocks * 512, 1 << 20) << "the holes were written as zeros";
    }
    if (tapped) {
      EXPECT_TRUE(tap.seen == expected);
    }
  }
}

}  // namespace
}  // namespace parcelo
