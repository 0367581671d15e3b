#include "recovery/gf16.h"

#include <vector>

#include "recovery/gf16_simd.h"

namespace parcelo {
namespace {

constexpr std::uint32_t kGenerator = 0x1100B;
constexpr std::uint32_t kOrder = 65535;

struct Tables {
  std::uint16_t log[65536];
  std::uint16_t exp[65536];
  std::vector<std::uint16_t> constants;

  Tables() {
    std::uint32_t x = 1;
    for (std::uint32_t i = 0; i < kOrder; ++i) {
      exp[i] = static_cast<std::uint16_t>(x);
      log[x] = static_cast<std::uint16_t>(i);
      x <<= 1;
      if (x & 0x10000) x ^= kGenerator;
    }
    exp[kOrder] = exp[0];
    log[0] = 0;
    for (std::uint32_t n = 1; n < kOrder && constants.size() < 32768; ++n) {
      if (n % 3 != 0 && n % 5 != 0 && n % 17 != 0 && n % 257 != 0) {
        constants.push_back(exp[n]);
      }
    }
  }
};

const Tables& GfTables() {
  static const Tables tables;
  return tables;
}

}  // namespace

std::uint16_t GfMultiply(std::uint16_t a, std::uint16_t b) {
  if (a == 0 || b == 0) return 0;
  const Tables& t = GfTables();
  return t.exp[(std::uint32_t(t.log[a]) + t.log[b]) % kOrder];
}

std::uint16_t GfDivide(std::uint16_t a, std::uint16_t b) {
  if (a == 0) return 0;
  const Tables& t = GfTables();
  return t.exp[(std::uint32_t(t.log[a]) + kOrder - t.log[b]) % kOrder];
}

std::uint16_t GfPower(std::uint16_t a, std::uint32_t exponent) {
  if (exponent == 0) return 1;
  if (a == 0) return 0;
  const Tables& t = GfTables();
  return t.exp[(std::uint64_t(t.log[a]) * exponent) % kOrder];
}

std::uint16_t InputSliceConstant(std::uint32_t index) { return GfTables().constants.at(index); }

void GfMultiplyAddByTable(std::uint16_t factor, const std::uint8_t* data, std::uint8_t* acc,
                          std::size_t size) {
  if (factor == 0) return;
  if (size < 1024) {
    // Too short to pay for the tables.
    for (std::size_t i = 0; i + 1 < size; i += 2) {
      const std::uint16_t product = GfMultiply(factor, static_cast<std::uint16_t>(data[i] | data[i + 1] << 8));
      acc[i] ^= static_cast<std::uint8_t>(product);
      acc[i + 1] ^= static_cast<std::uint8_t>(product >> 8);
    }
    return;
  }
  // factor * word = low[low byte] ^ high[high byte]
  std::uint16_t low[256], high[256];
  for (std::uint32_t x = 0; x < 256; ++x) {
    low[x] = GfMultiply(factor, static_cast<std::uint16_t>(x));
    high[x] = GfMultiply(factor, static_cast<std::uint16_t>(x << 8));
  }
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    const std::uint16_t product = low[data[i]] ^ high[data[i + 1]];
    acc[i] ^= static_cast<std::uint8_t>(product);
    acc[i + 1] ^= static_cast<std::uint8_t>(product >> 8);
  }
}

void GfMultiplyAdd(std::uint16_t factor, const std::uint8_t* data, std::uint8_t* acc,
                   std::size_t size) {
  if (factor == 0) return;
  std::size_t done = 0;
  if (GfCanShuffle()) done = GfMultiplyAddShuffle(factor, data, acc, size);
  if (done < size) GfMultiplyAddByTable(factor, data + done, acc + done, size - done);
}

const char* GfMethod() { return GfCanShuffle() ? "SSSE3 nibble shuffles" : "byte tables"; }

}  // namespace parcelo
