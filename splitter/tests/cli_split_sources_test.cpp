// parcelo95 split of sources that 32 bits cannot count, and of a pipe, joined back again.
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>

#include "cli_run.h"

namespace parcelo {
namespace {
namespace fs = std::filesystem;

using CliSources = CliTest;

constexpr std::uint64_t kMiB = 1 << 20;

std::string RandomBytes(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  return bytes;
}

// A file of size bytes whose first and last MiB are random and the rest a hole: on disk it
// takes 2 MiB.
void MakeSparseFile(const std::string& path, std::uint64_t size) {
  std::ofstream out(path, std::ios::binary);
  const std::string head = RandomBytes(kMiB, 1), tail = RandomBytes(kMiB, 2);
  out.write(head.data(), static_cast<std::streamsize>(head.size()));
  out.seekp(static_cast<std::streamoff>(size - kMiB));
  out.write(tail.data(), static_cast<std::streamsize>(tail.size()));
}

std::uint64_t BytesOnDisk(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 ? static_cast<std::uint64_t>(info.st_blocks) * 512 : 0;
}

// Byte for byte, in large reads: cmp takes half a minute over 5 GiB.
bool SameBytes(const std::string& a, const std::string& b) {
  std::ifstream first(a, std::ios::binary), second(b, std::ios::binary);
  std::vector<char> one(4 * kMiB), two(4 * kMiB);
  while (first && second) {
    first.read(one.data(), static_cast<std::streamsize>(one.size()));
    second.read(two.data(), static_cast<std::streamsize>(two.size()));
    if (first.gcount() != second.gcount() ||
        !std::equal(one.begin(), one.begin() + first.gcount(), two.begin())) {
      return false;
    }
  }
  return first.eof() && second.eof();
}

TEST_F(CliSources, FiveGigabytesSplitAndJoinBackByteForByte) {
  constexpr std::uint64_t kSize = 5ull << 30;
  timeoutSeconds_ = 900;  // the join writes 5 GiB; under the sanitizers that takes a while
  MakeSparseFile(Path("Disk Image.iso"), kSize);
  const struct {
    std::vector<std::string> size;
    std::vector<std::uint64_t> pieces;
  } cases[] = {
      {{"--size", "1000MB"},
       {1048576000, 1048576000, 1048576000, 1048576000, 1048576000, 125829120}},
      // The largest piece FAT32 holds.
      {{"--preset", "fat32"}, {4294967295, 1073741825}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.size[1]);
    fs::remove_all(Path("Out"));
    MakeFolder("Out");
    std::vector<std::string> arguments = {"split", "Disk Image.iso", "Out", "--yes"};
    arguments.insert(arguments.end(), c.size.begin(), c.size.end());
    const CliResult split = Run(arguments);
    ASSERT_EQ(split.status, 0) << split.err;

    std::uint64_t onDisk = 0;
    for (std::size_t i = 0; i < c.pieces.size(); ++i) {
      const std::string piece = "Out/DISKIM~1.00" + std::to_string(i);
      ASSERT_TRUE(Exists(piece)) << piece;
      EXPECT_EQ(fs::file_size(Path(piece)), c.pieces[i]) << piece;
      onDisk += BytesOnDisk(Path(piece));
    }
    EXPECT_FALSE(Exists("Out/DISKIM~1.00" + std::to_string(c.pieces.size())));
    // The source's hole stays a hole in the pieces rather than gigabytes of zeros.
    EXPECT_LT(onDisk, 16 * kMiB);
    EXPECT_NE(Read("Out/DISKIM~1.SFV").find("; Size: 5368709120 bytes\r\n"), std::string::npos);

    const CliResult join = Run({"join", "Out"});
    ASSERT_EQ(join.status, 0) << join.err;
    EXPECT_NE(join.err.find("the rebuilt Disk Image.iso (5368709120 bytes, CRC-32 0x"),
              std::string::npos)
        << join.err;
    ASSERT_EQ(fs::file_size(Path("Out/Disk Image.iso")), kSize);
    EXPECT_TRUE(SameBytes(Path("Disk Image.iso"), Path("Out/Disk Image.iso")));
    fs::remove_all(Path("Out"));  // 5 GiB of the disk back at once
  }
}

}  // namespace
}  // namespace parcelo
