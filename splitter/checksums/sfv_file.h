// Checksum files in the Simple File Verification format: one "NAME CRC32" line per file,
// eight hex digits, and ";" comment lines. The ones parcelo95 writes carry the source's long
// name, size and CRC-32 in their comments and end their lines with CR LF; the reader takes
// any SFV file (LF or CR LF, names with blanks, comments of other programs).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace parcelo {

struct SfvEntry {
  std::string name;
  std::uint32_t crc = 0;
};

struct SfvFile {
  std::vector<SfvEntry> entries;
  // The file the pieces rebuild, when the comments name it.
  bool sourceKnown = false;
  std::string sourceName;
  std::uint64_t sourceSize = 0;
  std::uint32_t sourceCrc = 0;
};

// "<base>.SFV": the checksum file of the pieces <base>.000, <base>.001, ...
std::string SfvFileName(const std::string& pieceBaseName);

// "1A2B3C4D"
std::string CrcHex(std::uint32_t crc);

// The file's bytes.
std::string FormatSfv(const SfvFile& file);

// The entries and, when given, the source of an SFV file's text; false with *problem
// naming the first line that is not a comment, a blank line or "NAME CRC32", or that lists
// a file again (without case) with another CRC-32.
bool ParseSfv(const std::string& text, SfvFile* file, std::string* problem);

}  // namespace parcelo
