#include "checksums/crc32.h"

#include <array>
#include <cstring>

#include "checksums/crc32_fold.h"

namespace parcelo {
namespace {

constexpr std::uint32_t kReflectedPolynomial = 0xEDB88320u;
constexpr int kSlices = 16;

// Slicing by 16: table k gives the CRC of a byte followed by k zero bytes, so sixteen bytes
// take sixteen independent look-ups instead of a chain of sixteen.
struct Tables {
  std::uint32_t slice[kSlices][256];
};

constexpr Tables MakeTables() {
  Tables tables{};
  for (std::uint32_t n = 0; n < 256; ++n) {
    std::uint32_t crc = n;
    for (int bit = 0; bit < 8; ++bit) crc = crc & 1 ? (crc >> 1) ^ kReflectedPolynomial : crc >> 1;
    tables.slice[0][n] = crc;
  }
  for (std::uint32_t n = 0; n < 256; ++n) {
    for (int k = 1; k < kSlices; ++k) {
      const std::uint32_t previous = tables.slice[k - 1][n];
      tables.slice[k][n] = (previous >> 8) ^ tables.slice[0][previous & 0xFF];
    }
  }
  return tables;
}

constexpr Tables kTables = MakeTables();

std::uint32_t LittleEndian32(const unsigned char* bytes) {
  return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
         static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

// The inner state (not inverted) after the bytes.
std::uint32_t TableState(std::uint32_t state, const unsigned char* bytes, std::size_t size) {
  const auto& t = kTables.slice;
  while (size >= kSlices) {
    const std::uint32_t a = LittleEndian32(bytes) ^ state;
    const std::uint32_t b = LittleEndian32(bytes + 4);
    const std::uint32_t c = LittleEndian32(bytes + 8);
    const std::uint32_t d = LittleEndian32(bytes + 12);
    state = t[15][a & 0xFF] ^ t[14][(a >> 8) & 0xFF] ^ t[13][(a >> 16) & 0xFF] ^ t[12][a >> 24] ^
            t[11][b & 0xFF] ^ t[10][(b >> 8) & 0xFF] ^ t[9][(b >> 16) & 0xFF] ^ t[8][b >> 24] ^
            t[7][c & 0xFF] ^ t[6][(c >> 8) & 0xFF] ^ t[5][(c >> 16) & 0xFF] ^ t[4][c >> 24] ^
            t[3][d & 0xFF] ^ t[2][(d >> 8) & 0xFF] ^ t[1][(d >> 16) & 0xFF] ^ t[0][d >> 24];
    bytes += kSlices;
    size -= kSlices;
  }
  while (size-- > 0) state = (state >> 8) ^ t[0][(state ^ *bytes++) & 0xFF];
  return state;
}

// Asked once: the answer cannot change while the program runs.
FoldWidth Width() {
  static const FoldWidth width = Crc32FoldWidth();
  return width;
}

// a times b modulo the polynomial, both in the reflected order (x^0 in the top bit).
std::uint32_t MultiplyModP(std::uint32_t a, std::uint32_t b) {
  std::uint32_t product = 0;
  for (std::uint32_t bit = 0x80000000u; bit != 0; bit >>= 1) {
    if (a & bit) product ^= b;
    b = b & 1 ? (b >> 1) ^ kReflectedPolynomial : b >> 1;
  }
  return product;
}

}  // namespace

std::uint32_t Crc32UpdateByTable(std::uint32_t crc, const void* data, std::size_t size) {
  return ~TableState(~crc, static_cast<const unsigned char*>(data), size);
}

std::uint32_t Crc32Update(std::uint32_t crc, const void* data, std::size_t size) {
  const unsigned char* bytes = static_cast<const unsigned char*>(data);
  std::uint32_t state = ~crc;
  const FoldWidth width = size >= 64 ? Width() : FoldWidth::None;
  if (width != FoldWidth::None) {
    const std::size_t folded = size & ~static_cast<std::size_t>(15);
    state = width == FoldWidth::Wide && folded >= 256 ? FoldCrc32Wide(state, bytes, folded)
                                                       : FoldCrc32(state, bytes, folded);
    bytes += folded;
    size -= folded;
  }
  return ~TableState(state, bytes, size);
}

std::uint32_t Crc32Combine(std::uint32_t first, std::uint32_t second, std::uint64_t secondSize) {
  // first moves on by secondSize zero bytes: times x^(8 * secondSize), by squaring.
  std::uint32_t shift = 0x80000000u;  // x^0
  std::uint32_t power = 0x00800000u;  // x^8
  for (std::uint64_t n = secondSize; n != 0; n >>= 1) {
    if (n & 1) shift = MultiplyModP(shift, power);
    power = MultiplyModP(power, power);
  }
  return MultiplyModP(first, shift) ^ second;
}

const char* Crc32Method() {
  switch (Width()) {
    case FoldWidth::Wide:
      return "VPCLMULQDQ folding, 512 bits";
    case FoldWidth::Narrow:
      return "PCLMULQDQ folding, 128 bits";
    case FoldWidth::None:
      break;
  }
  return "slicing by 16";
}

}  // namespace parcelo
