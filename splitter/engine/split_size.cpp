#include "engine/split_size.h"

#include "engine/split_messages.h"

namespace parcelo {

const char* SplitSizeTextProblem(const std::string& text) {
  for (char c : text) {
    if (!(c >= '0' && c <= '9') && c != '.' && c != ' ') return kTextBadSizeCharacter;
  }
  const std::size_t space = text.find(' ');
  if (space != std::string::npos && text.find_first_not_of(' ', space) != std::string::npos) {
    return kTextSizeInnerSpace;
  }
  return nullptr;
}

namespace {

// Doubles a decimal fraction held as its digits ("25" for .25) and returns the bit that
// this moves in front of the point.
int DoubleFraction(std::string& digits) {
  int carry = 0;
  for (std::size_t i = digits.size(); i-- > 0;) {
    const int twice = (digits[i] - '0') * 2 + carry;
    digits[i] = static_cast<char>('0' + twice % 10);
    carry = twice / 10;
  }
  return carry;
}

// The text's leading decimal number (spaces, digits, one point) times 2^shift, cut to
// whole bytes and capped at kFourGigabytes. The number counts as the nearest double, as
// strtod reads it, which can put a value a hair below a whole byte count on that count;
// everything else is exact decimal arithmetic.
std::uint64_t ScaledDecimal(const std::string& text, int shift) {
  std::size_t at = 0;
  while (at < text.size() && (text[at] == ' ' || (text[at] >= '\t' && text[at] <= '\r'))) ++at;
  std::uint64_t whole = 0;
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
    whole = whole * 10 + static_cast<unsigned>(text[at] - '0');
    if (whole >= kFourGigabytes) return kFourGigabytes;
  }
  std::string fraction;
  if (at < text.size() && text[at] == '.') {
    for (++at; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) fraction += text[at];
  }
  if ((whole << shift) >= kFourGigabytes) return kFourGigabytes;
  std::uint64_t bytes = whole << shift;
  for (int bit = shift - 1; bit >= 0; --bit) {
    bytes |= static_cast<std::uint64_t>(DoubleFraction(fraction)) << bit;
  }
  // The fraction left is below one byte. The double nearest the number reaches bytes + 1
  // when the fraction is at least 1 - 2^-t, half the spacing of doubles just below
  // bytes + 1 (a tie goes to bytes + 1, the even one): its first t bits are all ones.
  int t = 54;
  for (std::uint64_t rest = bytes; rest != 0; rest >>= 1) --t;
  bool allOnes = true;
  for (int i = 0; i < t && allOnes; ++i) allOnes = DoubleFraction(fraction) == 1;
  if (allOnes) ++bytes;
  return bytes < kFourGigabytes ? bytes : kFourGigabytes;
}

}  // namespace

std::uint64_t SplitSizeBytes(const std::string& text, int unit) {
  if (unit == kUnitBytes) {
    // The leading integer, saturated rather than wrapped.
    std::uint64_t value = 0;
    std::size_t i = text.find_first_not_of(' ');
    for (; i != std::string::npos && i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
      value = value * 10 + static_cast<unsigned>(text[i] - '0');
      if (value >= kFourGigabytes) return kFourGigabytes;
    }
    return value;
  }
  return ScaledDecimal(text, unit == kUnitKB ? 10 : 20);
}

std::uint64_t CountPieces(std::uint64_t sourceSize, std::uint32_t pieceSize) {
  if (pieceSize == 0) return 0;
  return (sourceSize + pieceSize - 1) / pieceSize;  // no file comes near 2^64 bytes
}

}  // namespace parcelo
