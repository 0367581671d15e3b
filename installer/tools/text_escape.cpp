#include "tools/text_escape.h"

namespace qinstall {
namespace {
const char kHex[] = "0123456789abcdef";
}

std::string QuotedText(const std::string& text) {
  std::string quoted = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F) {
      quoted += c;
    } else {
      quoted += "\\x";
      quoted += kHex[byte >> 4];
      quoted += kHex[byte & 15];
    }
  }
  return quoted + "\"";
}

std::string JsonText(const std::string& text) {
  std::string json = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      json += '\\';
      json += c;
    } else if (byte >= 0x20 && byte < 0x7F) {
      json += c;
    } else {
      json += "\\u00";
      json += kHex[byte >> 4];
      json += kHex[byte & 15];
    }
  }
  return json + "\"";
}

int ControlEscaper::overflow(int c) {
  if (c == traits_type::eof()) return traits_type::not_eof(c);
  const auto byte = static_cast<unsigned char>(c);
  if ((byte < 0x20 && byte != '\n') || byte == 0x7F) {
    const char escaped[] = {'\\', 'x', kHex[byte >> 4], kHex[byte & 15]};
    to_.write(escaped, sizeof escaped);
  } else {
    to_.put(static_cast<char>(byte));
  }
  return to_ ? c : traits_type::eof();
}

}  // namespace qinstall
