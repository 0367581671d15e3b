// An OEM code page of DOS (437, 850, ...) against the host's encoding of names. The command
// interpreter reads a batch file in it and a FAT volume keeps its 8.3 names in it.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace parcelo {

// The code pages that parcelo95 offers: those of DOS and Windows 95 in the United States
// (437) and in Western Europe (850), which its aliases and join files are checked against,
// natively and under Wine. iconv converts others too, but nothing shows that their capitals
// come out as a FAT volume makes them, and a double-byte page would pass for a single-byte
// one; 1252 and the like are not OEM pages at all.
constexpr int kSupportedOemCodePages[] = {437, 850};

class OemCodePage {
 public:
  // number: the code page, e.g. 437; hostCharset: how the host writes names, e.g. "UTF-8".
  // A code page that iconv does not know, or that is not a single-byte superset of ASCII,
  // leaves the object !valid().
  explicit OemCodePage(int number = 437, const std::string& hostCharset = "UTF-8");

  bool valid() const { return valid_; }
  int number() const { return number_; }

  // The host text in the code page. False when a character has no place there; '?' then
  // stands in for it.
  bool ToOem(const std::string& host, std::string* oem) const;
  // Code page text in the host's encoding; bytes the page leaves undefined become '?'.
  std::string FromOem(const std::string& oem) const;

  // The host text character by character, each as its byte in the code page, or -1 where
  // the page has none (or the text is not valid in the host's encoding).
  std::vector<int> Characters(const std::string& host) const;

  // The code page's upper case of a byte: a letter whose capital the page also holds
  // becomes that capital; anything else stays as it is.
  unsigned char Upper(unsigned char oem) const { return upper_[oem]; }

 private:
  std::vector<char32_t> Decode(const std::string& host) const;

  int number_;
  std::string hostCharset_;
  bool hostIsUtf8_ = true;
  bool valid_ = false;
  std::string toHost_[256];          // empty: undefined in the page
  std::map<char32_t, int> fromUnicode_;  // code point -> byte
  unsigned char upper_[256] = {};
};

}  // namespace parcelo
