#include "cli/piece_checks.h"

#include <vector>

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

// The DOS path of name: as written when it holds a folder, else the entry of folder that it
// means (a checksum file written on DOS names files in capitals).
std::string PathOf(const FolderView& folder, const std::string& name, bool* missing) {
  if (name.find_first_of("/\\") != std::string::npos) {
    FoundFile found;
    *missing = !Files().FindFile(folder.PathOf(name), &found);
    return folder.PathOf(name);
  }
  FolderView::Kind kind;
  const std::string entry = folder.Find(name, &kind);
  *missing = kind == FolderView::Kind::None;
  return folder.PathOf(entry);
}

}  // namespace

bool FileCrc32(const std::string& path, std::uint32_t* crc, std::uint64_t* size,
               std::string* reason) {
  // A FIFO or a device would be waited on, or never end.
  FoundFile found;
  if (!Files().FindFile(path, &found) || found.kind != EntryKind::File) {
    *reason = "not a plain file";
    return false;
  }
  std::uint32_t error = 0;
  ClearSystemError();
  const FileHandle in = Files().OpenForReading(path, &error);
  if (in == kInvalidFile) {
    *reason = LastSystemError();
    return false;
  }
  std::vector<unsigned char> buffer(kReadStep);
  *crc = 0;
  *size = 0;
  bool failed = false;
  for (;;) {
    ClearSystemError();
    const IoResult got = Files().ReadFile(in, buffer.data(), static_cast<std::uint32_t>(buffer.size()));
    if (!got.ok) {
      *reason = LastSystemError();
      failed = true;
      break;
    }
    if (got.bytes == 0) break;
    *crc = Crc32Update(*crc, buffer.data(), got.bytes);
    *size += got.bytes;
  }
  Files().CloseFile(in);
  return !failed;
}

std::string ChecksumFileNameFor(const std::string& piece) {
  const std::size_t dot = piece.rfind('.');
  return SfvFileName(dot != std::string::npos && dot > 0 ? piece.substr(0, dot) : piece);
}

std::string ChecksumFileFor(const FolderView& folder, const std::string& firstPiece) {
  FolderView::Kind kind;
  const std::string name = folder.Find(ChecksumFileNameFor(firstPiece), &kind);
  FoundFile found;
  // Links followed: a checksum file may be a link to one.
  if (kind == FolderView::Kind::None || !Files().FindFile(folder.PathOf(name), &found) ||
      found.kind != EntryKind::File) {
    return {};
  }
  return name;
}

bool ReadSfvFile(const FolderView& folder, const std::string& name, SfvFile* file,
                 std::string* problem) {
  std::string text;
  const std::string shown = folder.Shown(name);
  if (!ReadTextFile(folder.PathOf(name), shown, "checksum file", &text, problem)) return false;
  std::string why;
  if (!ParseSfv(text, file, &why)) {
    *problem = shown + ": " + why;
    return false;
  }
  return true;
}

std::vector<PieceCheck> CheckPieces(const FolderView& folder,
                                    const std::vector<std::string>& names, const SfvFile& sfv) {
  std::vector<PieceCheck> checks;
  for (const std::string& name : names) {
    PieceCheck check;
    check.name = name;
    const SfvEntry* entry = EntryFor(sfv, name);
    bool missing = false;
    const std::string path = PathOf(folder, name, &missing);
    if (entry == nullptr) {
      check.state = PieceCheck::Unlisted;
    } else if (missing) {
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
