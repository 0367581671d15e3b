// Showing data-file strings: single-byte ANSI text that may hold any byte but zero.
#pragma once

#include <ostream>
#include <streambuf>
#include <string>

namespace qinstall {

// In double quotes; bytes outside printable ASCII as \xNN, everything else as it is, so an
// ASCII value can be pasted back into a manifest.
std::string QuotedText(const std::string& text);

// A JSON string. Bytes 0x80 to 0xFF become \u0080 to \u00FF, one for each byte, so a script
// gets the exact bytes back by taking every code point as one byte.
std::string JsonText(const std::string& text);

// Passes text on to a stream with the control characters a terminal acts on (all but the
// line end: ESC, BEL, CR, DEL, ...) as \xNN, as dump writes them; other bytes as they are.
class ControlEscaper : public std::streambuf {
 public:
  explicit ControlEscaper(std::ostream& to) : to_(to) {}

 protected:
  int overflow(int c) override;

 private:
  std::ostream& to_;
};

}  // namespace qinstall
