#include "phases/icon_location.h"

#include <cctype>

namespace qinstall {
namespace {

// The decimal reading of the C library, without its overflow: the digits are taken
// modulo 65536 as they come, which is the same as reading them whole and then wrapping.
std::uint16_t ReadIndex(const char* text) {
  while (std::isspace(static_cast<unsigned char>(*text))) ++text;
  bool negative = false;
  if (*text == '+' || *text == '-') negative = *text++ == '-';
  std::uint32_t value = 0;
  for (; std::isdigit(static_cast<unsigned char>(*text)); ++text) {
    value = (value * 10 + static_cast<std::uint32_t>(*text - '0')) & 0xFFFF;
  }
  return static_cast<std::uint16_t>(negative ? (0x10000 - value) & 0xFFFF : value);
}

}  // namespace

std::uint16_t SplitIconIndex(std::string* iconPath) {
  if (iconPath->size() < 3) return 0;
  for (std::size_t i = iconPath->size() - 2; i >= 1; --i) {
    if ((*iconPath)[i] != ',') continue;
    const std::uint16_t index = ReadIndex(iconPath->c_str() + i + 1);
    iconPath->resize(i);
    return index;
  }
  return 0;
}

}  // namespace qinstall
