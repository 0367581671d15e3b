#include "engine/text_format.h"

#include <cstdarg>
#include <cstdint>
#include <cstring>
#include <vector>

namespace parcelo {
namespace {

using Limbs = std::vector<std::uint32_t>;  // a big number, least significant 32 bits first

std::string UnsignedDigits(std::uint64_t value) {
  char digits[24];
  int at = sizeof digits;
  do {
    digits[--at] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  return std::string(digits + at, sizeof digits - at);
}

// The decimal digits of a big number (which is used up).
std::string LimbDigits(Limbs number) {
  std::string digits;
  for (;;) {
    std::uint64_t remainder = 0;
    bool zero = true;
    for (std::size_t i = number.size(); i-- > 0;) {
      const std::uint64_t part = (remainder << 32) | number[i];
      number[i] = static_cast<std::uint32_t>(part / 1000000000u);
      remainder = part % 1000000000u;
      zero = zero && number[i] == 0;
    }
    std::string chunk = UnsignedDigits(remainder);
    if (zero) return chunk + digits;
    digits = std::string(9 - chunk.size(), '0') + chunk + digits;
  }
}

// The next decimal digit of a binary fraction held in limbs (limbs / 2^(32 * size)).
int NextFractionDigit(Limbs& fraction) {
  std::uint64_t carry = 0;
  for (std::uint32_t& limb : fraction) {
    const std::uint64_t part = static_cast<std::uint64_t>(limb) * 10 + carry;
    limb = static_cast<std::uint32_t>(part);
    carry = part >> 32;
  }
  return static_cast<int>(carry);
}

// Adds one unit in the last place of a digit string; "99" becomes "100".
void RoundUp(std::string& digits) {
  for (std::size_t i = digits.size(); i-- > 0;) {
    if (digits[i] != '9') {
      ++digits[i];
      return;
    }
    digits[i] = '0';
  }
  digits.insert(digits.begin(), '1');
}

// |value| with precision decimals, exact: a double is mantissa * 2^exponent, whose
// integer part and binary fraction are turned into decimal digits with big numbers.
std::string FixedDigits(double value, int precision, bool* negative) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  *negative = (bits >> 63) != 0;
  const int biased = static_cast<int>((bits >> 52) & 0x7FF);
  std::uint64_t mantissa = bits & ((std::uint64_t{1} << 52) - 1);
  if (biased == 0x7FF) return mantissa != 0 ? "nan" : "inf";
  int exponent = -1074;
  if (biased != 0) {
    mantissa |= std::uint64_t{1} << 52;
    exponent = biased - 1075;
  }

  std::string digits;
  Limbs fraction;
  if (exponent >= 0) {
    Limbs integer((53 + exponent + 31) / 32 + 1, 0);
    const int shift = exponent % 32;
    const std::size_t at = static_cast<std::size_t>(exponent / 32);
    // 53 bits moved up by shift span three limbs.
    integer[at] = static_cast<std::uint32_t>(mantissa << shift);
    integer[at + 1] = static_cast<std::uint32_t>((mantissa << shift) >> 32);
    if (shift != 0) integer[at + 2] = static_cast<std::uint32_t>(mantissa >> (64 - shift));
    digits = LimbDigits(integer);
  } else {
    const int fractionBits = -exponent;
    digits = UnsignedDigits(fractionBits >= 64 ? 0 : mantissa >> fractionBits);
    const std::uint64_t below =
        fractionBits >= 64 ? mantissa : mantissa & ((std::uint64_t{1} << fractionBits) - 1);
    // Placed so that the fraction's first bit is the top bit of the last limb.
    const int size = (fractionBits + 31) / 32;
    const int shift = size * 32 - fractionBits;
    fraction.assign(size, 0);
    const std::uint64_t low = below << shift;
    fraction[0] = static_cast<std::uint32_t>(low);
    if (size > 1) fraction[1] = static_cast<std::uint32_t>(low >> 32);
    if (size > 2 && shift != 0) fraction[2] = static_cast<std::uint32_t>(below >> (64 - shift));
  }

  for (int i = 0; i < precision; ++i) {
    digits += static_cast<char>('0' + (fraction.empty() ? 0 : NextFractionDigit(fraction)));
  }
  // What is left decides: over a half rounds up, a half exactly rounds to even.
  bool half = false;
  bool beyondHalf = false;
  if (!fraction.empty()) {
    half = (fraction.back() >> 31) != 0;
    beyondHalf = (fraction.back() & 0x7FFFFFFFu) != 0;
    for (std::size_t i = 0; i + 1 < fraction.size(); ++i) beyondHalf = beyondHalf || fraction[i] != 0;
  }
  const bool lastOdd = ((digits.back() - '0') & 1) != 0;
  if (half && (beyondHalf || lastOdd)) RoundUp(digits);
  if (precision > 0) digits.insert(digits.size() - static_cast<std::size_t>(precision), ".");
  return digits;
}

void Append(std::string& text, const std::string& sign, const std::string& body, int width,
            bool left, bool zeros) {
  const std::size_t length = sign.size() + body.size();
  const std::size_t pad = width > 0 && static_cast<std::size_t>(width) > length
                              ? static_cast<std::size_t>(width) - length
                              : 0;
  if (left) {
    text += sign + body + std::string(pad, ' ');
  } else if (zeros) {
    text += sign + std::string(pad, '0') + body;
  } else {
    text += std::string(pad, ' ') + sign + body;
  }
}

}  // namespace

std::string Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text;
  for (const char* at = format; *at != '\0'; ++at) {
    if (*at != '%') {
      text += *at;
      continue;
    }
    const char* start = at++;
    bool left = false;
    bool zeros = false;
    for (;; ++at) {
      if (*at == '-') {
        left = true;
      } else if (*at == '0') {
        zeros = true;
      } else {
        break;
      }
    }
    int width = 0;
    for (; *at >= '0' && *at <= '9'; ++at) width = width * 10 + (*at - '0');
    int precision = -1;
    if (*at == '.') {
      precision = 0;
      for (++at; *at >= '0' && *at <= '9'; ++at) precision = precision * 10 + (*at - '0');
    }
    int longs = 0;
    for (; *at == 'l'; ++at) ++longs;

    switch (*at) {
      case 'd':
      case 'i':
      case 'u': {
        std::uint64_t magnitude = 0;
        bool negative = false;
        if (*at == 'u') {
          magnitude = longs == 0   ? va_arg(args, unsigned)
                      : longs == 1 ? va_arg(args, unsigned long)
                                   : va_arg(args, unsigned long long);
        } else {
          const long long value = longs == 0   ? va_arg(args, int)
                                  : longs == 1 ? va_arg(args, long)
                                               : va_arg(args, long long);
          negative = value < 0;
          magnitude = negative ? 0 - static_cast<std::uint64_t>(value)
                               : static_cast<std::uint64_t>(value);
        }
        std::string digits = precision == 0 && magnitude == 0 ? "" : UnsignedDigits(magnitude);
        if (precision > static_cast<int>(digits.size())) {
          digits.insert(0, static_cast<std::size_t>(precision) - digits.size(), '0');
        }
        Append(text, negative ? "-" : "", digits, width, left, zeros && precision < 0);
        break;
      }
      case 'f': {
        bool negative = false;
        const std::string digits =
            FixedDigits(va_arg(args, double), precision < 0 ? 6 : precision, &negative);
        const bool finite = digits[0] >= '0' && digits[0] <= '9';
        Append(text, negative ? "-" : "", digits, width, left, zeros && finite);
        break;
      }
      case 's': {
        const char* value = va_arg(args, const char*);
        std::size_t length = 0;
        while (value[length] != '\0' && (precision < 0 || length < static_cast<std::size_t>(precision))) {
          ++length;
        }
        Append(text, "", std::string(value, length), width, left, false);
        break;
      }
      case 'c':
        Append(text, "", std::string(1, static_cast<char>(va_arg(args, int))), width, left, false);
        break;
      case '%':
        text += '%';
        break;
      default:
        // Not one of ours: kept as written, and the format ends here.
        text.append(start);
        va_end(args);
        return text;
    }
  }
  va_end(args);
  return text;
}

}  // namespace parcelo
