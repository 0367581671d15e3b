// Pieces held against their checksum file, by parcelo95 join before it writes and by
// parcelo95 verify.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "checksums/sfv_file.h"
#include "cli/folder_view.h"

namespace parcelo {

struct PieceCheck {
  enum State { Right, Wrong, Missing, Unreadable, Unlisted };
  std::string name;  // as the checksum file or the join file names it
  State state = Missing;
  std::uint32_t crc = 0;
  std::uint32_t expected = 0;
  std::uint64_t size = 0;
  std::string reason;  // Unreadable: why
};

// The CRC-32 and the size of the plain file at a DOS path; false with *reason when it
// cannot be read.
bool FileCrc32(const std::string& path, std::uint32_t* crc, std::uint64_t* size,
               std::string* reason);

// <base>.SFV for the piece <base>.NNN.
std::string ChecksumFileNameFor(const std::string& piece);

// The name in folder of the checksum file of the pieces whose first is firstPiece
// (<base>.SFV, found as the folder finds names); empty when there is none.
std::string ChecksumFileFor(const FolderView& folder, const std::string& firstPiece);

// The checksum file name of folder; false with *problem ("PATH: why").
bool ReadSfvFile(const FolderView& folder, const std::string& name, SfvFile* file,
                 std::string* problem);

// Each of names, a file of folder (found as the folder finds names) or a path from it,
// against its line in sfv.
std::vector<PieceCheck> CheckPieces(const FolderView& folder,
                                    const std::vector<std::string>& names, const SfvFile& sfv);

// "NAME: OK", "NAME: CRC-32 0x1A2B3C4D, expected 0x5E6F7A8B", "NAME: missing",
// "NAME: cannot be read (reason)", "NAME: not in SFVNAME".
std::string DescribeCheck(const PieceCheck& check, const std::string& sfvName);

// Whether the pieces, one after the other, make the file that sfv names in its comments
// (always, when it names none); else false with *problem saying what they make instead.
bool RebuildsSource(const std::vector<PieceCheck>& checks, const SfvFile& sfv,
                    const std::string& sfvName, std::string* problem);

}  // namespace parcelo
