// Building data files byte by byte, independently of qsdtool's encoder.
#pragma once

#include <string>

namespace qinstall {

inline std::string Str(const std::string& text) { return text + '\0'; }

inline std::string U16(unsigned value) {
  return std::string{static_cast<char>(value & 0xFF), static_cast<char>(value >> 8 & 0xFF)};
}

inline std::string Byte(unsigned value) { return std::string(1, static_cast<char>(value)); }

// "QSD", version 1, product name, destination folder.
inline std::string PackageStart(const std::string& name = "Product",
                                const std::string& destination = "C:\\Product") {
  return "QSD" + Byte(1) + Str(name) + Str(destination);
}

}  // namespace qinstall
