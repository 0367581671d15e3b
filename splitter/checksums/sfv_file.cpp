#include "checksums/sfv_file.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <map>

namespace parcelo {
namespace {

constexpr char kTitleLine[] = "; Tavrin Parcelo 95: the CRC-32 of each piece of one file";
constexpr char kSourceTag[] = "; Source: ";
constexpr char kSizeTag[] = "; Size: ";
constexpr char kSizeUnit[] = " bytes";
constexpr char kCrcTag[] = "; CRC-32: ";

bool StartsWith(const std::string& text, const char* head) {
  return text.compare(0, std::char_traits<char>::length(head), head) == 0;
}

std::string After(const std::string& text, const char* head) {
  return text.substr(std::char_traits<char>::length(head));
}

bool HasControl(const std::string& text) {
  for (unsigned char c : text) {
    if ((c < 0x20 && c != '\t') || c == 0x7F) return true;
  }
  return false;
}

std::string AsciiUpper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

bool IsHex(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// Eight hex digits, in either case.
bool ParseCrc(const std::string& text, std::uint32_t* crc) {
  if (text.size() != 8) return false;
  for (char c : text) {
    if (!IsHex(c)) return false;
  }
  *crc = static_cast<std::uint32_t>(std::strtoul(text.c_str(), nullptr, 16));
  return true;
}

bool ParseSize(const std::string& text, std::uint64_t* size) {
  if (text.empty() || text.size() > 20 || text.find_first_not_of("0123456789") != std::string::npos) {
    return false;
  }
  errno = 0;
  const unsigned long long value = std::strtoull(text.c_str(), nullptr, 10);
  if (errno == ERANGE) return false;
  *size = value;
  return true;
}

// What the comments of parcelo95's own files say about the source. Other comments pass.
void ReadComment(const std::string& line, SfvFile* file, int* known) {
  if (StartsWith(line, kSourceTag)) {
    file->sourceName = After(line, kSourceTag);
    if (!HasControl(file->sourceName)) *known |= 1;
  } else if (StartsWith(line, kSizeTag)) {
    std::string size = After(line, kSizeTag);
    const std::size_t unit = size.rfind(kSizeUnit);
    if (unit != std::string::npos && unit + std::char_traits<char>::length(kSizeUnit) == size.size()) {
      size.resize(unit);
    }
    if (ParseSize(size, &file->sourceSize)) *known |= 2;
  } else if (StartsWith(line, kCrcTag)) {
    if (ParseCrc(After(line, kCrcTag), &file->sourceCrc)) *known |= 4;
  }
}

}  // namespace

std::string SfvFileName(const std::string& pieceBaseName) { return pieceBaseName + ".SFV"; }

std::string CrcHex(std::uint32_t crc) {
  char hex[9];
  std::snprintf(hex, sizeof hex, "%08X", static_cast<unsigned>(crc));
  return hex;
}

std::string FormatSfv(const SfvFile& file) {
  std::string text = std::string(kTitleLine) + "\r\n";
  if (file.sourceKnown) {
    text += kSourceTag + file.sourceName + "\r\n";
    text += kSizeTag + std::to_string(file.sourceSize) + kSizeUnit + "\r\n";
    text += kCrcTag + CrcHex(file.sourceCrc) + "\r\n";
  }
  for (const SfvEntry& entry : file.entries) text += entry.name + " " + CrcHex(entry.crc) + "\r\n";
  return text;
}

bool ParseSfv(const std::string& text, SfvFile* file, std::string* problem) {
  *file = SfvFile();
  std::map<std::string, std::uint32_t> crcs;  // by name in capitals, as readers look names up
  int known = 0;
  int number = 0;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::size_t last = line.find_last_not_of(" \t");
    if (last == std::string::npos) continue;
    line.resize(last + 1);
    if (line[0] == ';') {
      ReadComment(line, file, &known);
      continue;
    }
    const std::size_t blank = line.find_last_of(" \t");
    SfvEntry entry;
    if (blank != std::string::npos) {
      const std::size_t nameEnd = line.find_last_not_of(" \t", blank);
      if (nameEnd != std::string::npos) entry.name = line.substr(0, nameEnd + 1);
    }
    // Names with control characters are never taken or echoed: a terminal would act on them.
    const bool control = HasControl(line);
    if (entry.name.empty() || control || !ParseCrc(line.substr(blank + 1), &entry.crc)) {
      *problem = "line " + std::to_string(number) + " is not a comment nor \"NAME CRC32\": " +
                 (control ? std::string("(control characters)") : line);
      return false;
    }
    // Two CRCs for one file: at least one line is wrong, and neither may be called right.
    const auto seen = crcs.emplace(AsciiUpper(entry.name), entry.crc);
    if (!seen.second && seen.first->second != entry.crc) {
      *problem = "line " + std::to_string(number) + " lists " + entry.name +
                 " again, with another CRC-32";
      return false;
    }
    file->entries.push_back(entry);
  }
  file->sourceKnown = known == 7;
  return true;
}

}  // namespace parcelo
