// MD5 against RFC 1321's own vectors, and the GF(2^16) arithmetic PAR2's recovery blocks
// are made with.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "recovery/gf16.h"
#include "recovery/gf16_simd.h"
#include "recovery/md5.h"

namespace parcelo {
namespace {

TEST(Md5Test, GivesRfc1321sTestSuite) {
  const struct {
    std::string input;
    std::string digest;
  } cases[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"a", "0cc175b9c0f1b6a831c399e269772661"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
       "d174ab98d277d9f5a5611c2c9f419d9f"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Md5Hex(Md5Of(c.input.data(), c.input.size())), c.digest) << '"' << c.input << '"';
  }
}

// Every way of cutting the bytes into updates gives the digest of the whole, across the
// 64-byte blocks and the 56-byte mark where the length no longer fits.
TEST(Md5Test, GivesTheSameDigestInPiecesOfAnySize) {
  std::mt19937 random(5);
  for (std::size_t size : {55u, 56u, 63u, 64u, 65u, 119u, 120u, 1000u, 70001u}) {
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    const Md5Digest whole = Md5Of(bytes.data(), bytes.size());
    Md5 pieces;
    for (std::size_t at = 0; at < size;) {
      const std::size_t take = std::min<std::size_t>(size - at, random() % 130);
      pieces.Update(bytes.data() + at, take);
      at += take;
    }
    EXPECT_EQ(pieces.Final(), whole) << size;
  }
}

TEST(Gf16Test, ConstantsAreThePowersOfTwoOfFullOrder) {
  // The first ones as the format lists them.
  const std::uint16_t listed[] = {2, 4, 16, 128, 256, 2048, 8192, 16384, 4107, 32856, 17132};
  for (std::uint32_t i = 0; i < sizeof listed / sizeof *listed; ++i) {
    EXPECT_EQ(InputSliceConstant(i), listed[i]) << i;
  }
  EXPECT_NO_THROW(InputSliceConstant(32767));
  EXPECT_ANY_THROW(InputSliceConstant(32768));
}

TEST(Gf16Test, MultiplyDivideAndPowerAgree) {
  std::mt19937 random(7);
  // 0x8000 * 2 wraps through the generator: x^16 = x^12 + x^3 + x + 1.
  EXPECT_EQ(GfMultiply(0x8000, 2), 0x100B);
  for (int i = 0; i < 2000; ++i) {
    const auto a = static_cast<std::uint16_t>(random());
    const auto b = static_cast<std::uint16_t>(random() | 1);
    const auto c = static_cast<std::uint16_t>(random());
    EXPECT_EQ(GfDivide(GfMultiply(a, b), b), a);
    EXPECT_EQ(GfMultiply(a, b ^ c), GfMultiply(a, b) ^ GfMultiply(a, c));
    const std::uint32_t e = random() % 70000;
    std::uint16_t power = 1;
    for (std::uint32_t k = 0; k < e % 40; ++k) power = GfMultiply(power, b);
    EXPECT_EQ(GfPower(b, e % 40), power);
    EXPECT_EQ(GfMultiply(GfPower(b, e), b), GfPower(b, e + 1));
  }
  EXPECT_EQ(GfPower(2, 65535), 1);
}

// The fast way (shuffles where the processor has them) against the byte tables, on runs of
// every length around its 32-byte steps and at odd addresses.
TEST(Gf16Test, MultiplyAddAgreesWithTheByteTables) {
  std::mt19937 random(11);
  std::vector<std::uint8_t> data(5000), acc(5000);  // runs past 1 KiB take the tables
  for (auto& b : data) b = static_cast<std::uint8_t>(random());
  for (auto& b : acc) b = static_cast<std::uint8_t>(random());
  for (std::size_t size : {0u, 2u, 30u, 32u, 34u, 64u, 98u, 4096u, 4998u}) {
    for (std::size_t offset : {0u, 1u, 2u}) {
      const auto factor = static_cast<std::uint16_t>(random());
      std::vector<std::uint8_t> fast = acc, slow = acc;
      GfMultiplyAdd(factor, data.data() + offset, fast.data() + offset, size);
      GfMultiplyAddByTable(factor, data.data() + offset, slow.data() + offset, size);
      ASSERT_EQ(fast, slow) << "size " << size << " offset " << offset << " via " << GfMethod();
      // And word by word as the products themselves.
      for (std::size_t i = 0; i + 1 < size; i += 2) {
        const std::uint16_t word = data[offset + i] | data[offset + i + 1] << 8;
        const std::uint16_t before = acc[offset + i] | acc[offset + i + 1] << 8;
        const std::uint16_t after = slow[offset + i] | slow[offset + i + 1] << 8;
        ASSERT_EQ(after, before ^ GfMultiply(factor, word)) << i;
      }
    }
  }
  if (GfCanShuffle()) {
    EXPECT_EQ(GfMultiplyAddShuffle(1, data.data(), acc.data(), 63), 32u);
  }
}

}  // namespace
}  // namespace parcelo
