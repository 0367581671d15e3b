// CRC-32 against published check values, and every fast way against the table way.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "checksums/crc32.h"
#include "checksums/crc32_fold.h"

namespace parcelo {
namespace {

std::uint32_t Crc(const std::string& bytes) { return Crc32Update(0, bytes.data(), bytes.size()); }

std::vector<unsigned char> RandomBytes(std::size_t size) {
  std::mt19937 random(27);
  std::vector<unsigned char> bytes(size);
  for (unsigned char& byte : bytes) byte = static_cast<unsigned char>(random());
  return bytes;
}

TEST(Crc32, KnownCheckValues) {
  std::string counting;
  for (int i = 0; i < 4096; ++i) {
    for (int b = 0; b < 256; ++b) counting += static_cast<char>(b);
  }
  const struct {
    std::string bytes;
    std::uint32_t crc;
  } cases[] = {
      {"", 0x00000000},
      {"a", 0xE8B7BE43},
      {"abc", 0x352441C2},
      {"123456789", 0xCBF43926},
      {"The quick brown fox jumps over the lazy dog", 0x414FA339},
      {std::string(32, '\0'), 0x190A55AD},
      {std::string(32, '\xFF'), 0xFF6CAB0B},
      {counting, 0x04D0E435},  // 1 MiB: the fold's long loop
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bytes.size());
    EXPECT_EQ(Crc(c.bytes), c.crc);
    EXPECT_EQ(Crc32UpdateByTable(0, c.bytes.data(), c.bytes.size()), c.crc);
  }
}

TEST(Crc32, AnyLengthAndAlignmentMatchesTheTable) {
  const std::vector<unsigned char> bytes = RandomBytes(3000);
  for (std::size_t offset = 0; offset < 16; ++offset) {
    for (std::size_t size = 0; size + offset <= 1200; ++size) {
      ASSERT_EQ(Crc32Update(0x12345678, bytes.data() + offset, size),
                Crc32UpdateByTable(0x12345678, bytes.data() + offset, size))
          << "offset " << offset << " size " << size << " by " << Crc32Method();
    }
  }
}

// The 128-bit fold is what the Windows build uses; a processor with the 512-bit one would
// never reach it through Crc32Update.
TEST(Crc32, NarrowFoldMatchesTheTable) {
  if (Crc32FoldWidth() == FoldWidth::None) GTEST_SKIP() << "no PCLMULQDQ here";
  const std::vector<unsigned char> bytes = RandomBytes(5000);
  for (std::size_t size = 64; size <= 4096; size += 16) {
    ASSERT_EQ(~FoldCrc32(~0u, bytes.data() + 3, size), Crc32UpdateByTable(0, bytes.data() + 3, size))
        << size;
  }
}

TEST(Crc32, PiecesCombineIntoTheWhole) {
  const std::vector<unsigned char> bytes = RandomBytes(100000);
  const std::uint32_t whole = Crc32Update(0, bytes.data(), bytes.size());
  for (std::size_t cut : {0u, 1u, 63u, 4096u, 65537u, 99999u, 100000u}) {
    const std::uint32_t first = Crc32Update(0, bytes.data(), cut);
    const std::uint32_t second = Crc32Update(0, bytes.data() + cut, bytes.size() - cut);
    EXPECT_EQ(Crc32Combine(first, second, bytes.size() - cut), whole) << cut;
  }
  // Updating from a CRC carries on where it stopped.
  EXPECT_EQ(Crc32Update(Crc32Update(0, bytes.data(), 777), bytes.data() + 777, bytes.size() - 777),
            whole);
}

}  // namespace
}  // namespace parcelo
