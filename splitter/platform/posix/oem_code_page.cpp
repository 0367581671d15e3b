#include "platform/posix/oem_code_page.h"

#include <iconv.h>
#include <locale.h>
#include <wctype.h>

#include <cctype>
#include <cstring>

namespace parcelo {
namespace {

constexpr char32_t kInvalid = 0xFFFFFFFF;

// One whole conversion; false when iconv refuses any of it.
bool Convert(const char* to, const char* from, const std::string& in, std::string* out) {
  iconv_t converter = iconv_open(to, from);
  if (converter == reinterpret_cast<iconv_t>(-1)) return false;
  std::string buffer(in.size() * 4 + 16, '\0');
  char* input = const_cast<char*>(in.data());
  std::size_t inputLeft = in.size();
  char* output = &buffer[0];
  std::size_t outputLeft = buffer.size();
  const bool ok = iconv(converter, &input, &inputLeft, &output, &outputLeft) != static_cast<std::size_t>(-1) &&
                  iconv(converter, nullptr, nullptr, &output, &outputLeft) != static_cast<std::size_t>(-1);
  iconv_close(converter);
  if (!ok) return false;
  buffer.resize(buffer.size() - outputLeft);
  *out = buffer;
  return true;
}

char32_t ReadUtf32(const std::string& bytes) {
  char32_t c = 0;
  for (int i = 3; i >= 0; --i) c = (c << 8) | static_cast<unsigned char>(bytes[i]);
  return c;
}

// Case rules independent of the process's locale, which may well be "C".
locale_t UnicodeCase() {
  static const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
  return locale;
}

// One code point from UTF-8 at *at, or kInvalid for a byte that does not start one.
char32_t NextUtf8(const std::string& text, std::size_t* at) {
  const unsigned char lead = static_cast<unsigned char>(text[*at]);
  int extra = 0;
  if (lead < 0x80) {
    ++*at;
    return lead;
  } else if (lead >= 0xC2 && lead < 0xE0) {
    extra = 1;
  } else if (lead >= 0xE0 && lead < 0xF0) {
    extra = 2;
  } else if (lead >= 0xF0 && lead < 0xF5) {
    extra = 3;
  } else {
    ++*at;
    return kInvalid;
  }
  if (*at + extra >= text.size()) {
    ++*at;
    return kInvalid;
  }
  char32_t c = lead & (0x3F >> extra);
  for (int i = 1; i <= extra; ++i) {
    const unsigned char next = static_cast<unsigned char>(text[*at + i]);
    if ((next & 0xC0) != 0x80) {
      ++*at;
      return kInvalid;
    }
    c = (c << 6) | (next & 0x3F);
  }
  *at += extra + 1;
  return c;
}

}  // namespace

OemCodePage::OemCodePage(int number, const std::string& hostCharset)
    : number_(number), hostCharset_(hostCharset) {
  std::string upper = hostCharset;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  hostIsUtf8_ = upper == "UTF-8" || upper == "UTF8";
  if (number <= 0) return;
  const std::string page = "CP" + std::to_string(number);
  char32_t unicode[256];
  for (int b = 0; b < 256; ++b) {
    const std::string byte(1, static_cast<char>(b));
    std::string wide;
    unicode[b] = kInvalid;
    if (Convert("UTF-32LE", page.c_str(), byte, &wide) && wide.size() == 4) {
      unicode[b] = ReadUtf32(wide);
    }
    if (b < 0x80 && unicode[b] != static_cast<char32_t>(b)) return;  // not a DOS page
    if (unicode[b] == kInvalid || !Convert(hostCharset.c_str(), page.c_str(), byte, &toHost_[b])) {
      toHost_[b].clear();
      continue;
    }
    fromUnicode_.emplace(unicode[b], b);
  }
  for (int b = 0; b < 256; ++b) {
    upper_[b] = static_cast<unsigned char>(b);
    if (b < 0x80) {
      upper_[b] = static_cast<unsigned char>(std::toupper(b));
    } else if (unicode[b] != kInvalid && UnicodeCase() != static_cast<locale_t>(0)) {
      const auto capital = fromUnicode_.find(
          static_cast<char32_t>(towupper_l(static_cast<wint_t>(unicode[b]), UnicodeCase())));
      if (capital != fromUnicode_.end()) upper_[b] = static_cast<unsigned char>(capital->second);
    }
  }
  valid_ = true;
}

std::vector<char32_t> OemCodePage::Decode(const std::string& host) const {
  std::vector<char32_t> characters;
  if (hostIsUtf8_) {
    for (std::size_t at = 0; at < host.size();) characters.push_back(NextUtf8(host, &at));
    return characters;
  }
  // Other encodings a character at a time, so that one bad byte spoils only itself.
  for (std::size_t at = 0; at < host.size();) {
    std::string wide;
    std::size_t length = 1;
    while (length <= 4 && at + length <= host.size() &&
           !Convert("UTF-32LE", hostCharset_.c_str(), host.substr(at, length), &wide)) {
      ++length;
    }
    if (length > 4 || at + length > host.size() || wide.size() != 4) {
      characters.push_back(kInvalid);
      ++at;
    } else {
      characters.push_back(ReadUtf32(wide));
      at += length;
    }
  }
  return characters;
}

std::vector<int> OemCodePage::Characters(const std::string& host) const {
  std::vector<int> bytes;
  for (char32_t c : Decode(host)) {
    const auto found = fromUnicode_.find(c);
    bytes.push_back(found == fromUnicode_.end() ? -1 : found->second);
  }
  return bytes;
}

bool OemCodePage::ToOem(const std::string& host, std::string* oem) const {
  oem->clear();
  bool whole = true;
  for (int b : Characters(host)) {
    if (b < 0) whole = false;
    *oem += b < 0 ? '?' : static_cast<char>(b);
  }
  return whole;
}

std::string OemCodePage::FromOem(const std::string& oem) const {
  std::string host;
  for (unsigned char b : oem) host += toHost_[b].empty() ? std::string("?") : toHost_[b];
  return host;
}

}  // namespace parcelo
