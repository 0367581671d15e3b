#include "cli/piece_checks.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "checksums/crc32.h"
#include "cli/host.h"
#include "cli/text_file.h"
#include "platform/system.h"

namespace parcelo {
namespace {

constexpr std::size_t kReadStep = 1 << 20;

std::string Hex(std::uint32_t crc) { return "0x" + CrcHex(crc); }

const SfvEntry* EntryFor(const SfvFile& sfv, const std::string& name) {
  for (const SfvEntry& entry : sfv.entries) {
    if (EqualIgnoringAsciiCase(entry.name, name)) return &entry;
  }
  return nullptr;
}

// The host path of name: as written when it holds a folder, else the entry of folder that
// has it without case (a checksum file written on DOS names files in capitals).
std::string PathOf(const std::string& folder, const std::vector<FolderEntry>& entries,
                   const std::string& name) {
  if (name.find_first_of("/\\") != std::string::npos) return JoinPath(folder, name);
  for (const FolderEntry& entry : entries) {
    if (entry.name == name) return JoinPath(folder, name);
  }
  for (const FolderEntry& entry : entries) {
    if (EqualIgnoringAsciiCase(entry.name, name)) return JoinPath(folder, entry.name);
  }
  return JoinPath(folder, name);
}

}  // namespace

bool FileCrc32(const std::string& path, std::uint32_t* crc, std::uint64_t* size,
               std::string* reason) {
  // A FIFO or a device would be waited on, or never end.
  if (KindOfPath(path) != PathKind::File) {
    *reason = "not a plain file";
    return false;
  }
  std::FILE* in = std::fopen(path.c_str(), "rb");
  if (in == nullptr) {
    *reason = std::strerror(errno);
    return false;
  }
  std::vector<unsigned char> buffer(kReadStep);
  *crc = 0;
  *size = 0;
  std::size_t got;
  while ((got = std::fread(buffer.data(), 1, buffer.size(), in)) > 0) {
    *crc = Crc32Update(*crc, buffer.data(), got);
    *size += got;
  }
  const bool failed = std::ferror(in) != 0;
  if (failed) *reason = std::strerror(errno);
  std::fclose(in);
  return !failed;
}

std::string ChecksumFileNameFor(const std::string& piece) {
  const std::size_t dot = piece.rfind('.');
  return SfvFileName(dot != std::string::npos && dot > 0 ? piece.substr(0, dot) : piece);
}

std::string ChecksumFileFor(const std::string& folder, const std::string& firstPiece) {
  const std::string wanted = ChecksumFileNameFor(firstPiece);
  for (const FolderEntry& entry : ListFolder(folder)) {
    if (EqualIgnoringAsciiCase(entry.name, wanted) &&
        KindOfPath(JoinPath(folder, entry.name)) == PathKind::File) {
      return entry.name;
    }
  }
  return {};
}

bool ReadSfvFile(const std::string& path, SfvFile* file, std::string* problem) {
  std::string text;
  if (!ReadTextFile(path, "checksum file", &text, problem)) return false;
  std::string why;
  if (!ParseSfv(text, file, &why)) {
    *problem = path + ": " + why;
    return false;
  }
  return true;
}

std::vector<PieceCheck> CheckPieces(const std::string& folder,
                                    const std::vector<std::string>& names, const SfvFile& sfv) {
  const std::vector<FolderEntry> entries = ListFolder(folder);
  std::vector<PieceCheck> checks;
  for (const std::string& name : names) {
    PieceCheck check;
    check.name = name;
    const SfvEntry* entry = EntryFor(sfv, name);
    const std::string path = PathOf(folder, entries, name);
    if (entry == nullptr) {
      check.state = PieceCheck::Unlisted;
    } else if (!EntryExists(path)) {
      check.state = PieceCheck::Missing;
      check.expected = entry->crc;
    } else if (!FileCrc32(path, &check.crc, &check.size, &check.reason)) {
      check.state = PieceCheck::Unreadable;
    } else {
      check.expected = entry->crc;
      check.state = check.crc == entry->crc ? PieceCheck::Right : PieceCheck::Wrong;
    }
    checks.push_back(check);
  }
  return checks;
}

std::string DescribeCheck(const PieceCheck& check, const std::string& sfvName) {
  switch (check.state) {
    case PieceCheck::Right:
      return check.name + ": OK";
    case PieceCheck::Wrong:
      return check.name + ": CRC-32 " + Hex(check.crc) + ", expected " + Hex(check.expected);
    case PieceCheck::Missing:
      return check.name + ": missing";
    case PieceCheck::Unreadable:
      return check.name + ": cannot be read (" + check.reason + ")";
    case PieceCheck::Unlisted:
      return check.name + ": not in " + sfvName;
  }
  return check.name;
}

bool RebuildsSource(const std::vector<PieceCheck>& checks, const SfvFile& sfv,
                    const std::string& sfvName, std::string* problem) {
  if (!sfv.sourceKnown) return true;
  std::uint32_t crc = 0;
  std::uint64_t size = 0;
  for (const PieceCheck& check : checks) {
    crc = Crc32Combine(crc, check.crc, check.size);
    size += check.size;
  }
  if (crc == sfv.sourceCrc && size == sfv.sourceSize) return true;
  *problem = "The pieces make " + std::to_string(size) + " bytes with CRC-32 " + Hex(crc) +
             ", where " + sfvName + " expects " + std::to_string(sfv.sourceSize) +
             " bytes with CRC-32 " + Hex(sfv.sourceCrc) + " for " + sfv.sourceName;
  return false;
}

}  // namespace parcelo
