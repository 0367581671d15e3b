// The split size: from the main dialog's choice to bytes, and the Size and Num Pieces texts.
#pragma once

#include <cstdint>
#include <string>

namespace parcelo {

constexpr std::uint32_t kPresetSizes[4] = {729712, 1213552, 1457264, 2621440};
constexpr std::uint64_t kFourGigabytes = 0x100000000ull;

// What is wrong with a typed size text, if anything: nullptr or the error text.
const char* SplitSizeTextProblem(const std::string& text);

// The bytes a checked size text gives in a unit (kUnitBytes, kUnitKB, kUnitMB). Values that
// do not fit in 32 bits come back as they are, up to kFourGigabytes (which stands for more).
std::uint64_t SplitSizeBytes(const std::string& text, int unit);

// Reads the current main dialog into the request: mode, size text, spanToDisk, pieceSize.
// 0 after an error message about the size text.
int ParseSplitSize();

// The text after "Size: " for a file, or 0 with nothing written when it is not found.
// Sets sourceSize.
int FormatFileSize(const std::string& path, std::string* text);

// The text after "Num Pieces: ", or nothing; may set pieceCount. Always 1.
int FormatPieceCount(std::string* text);

// ceil(sourceSize / pieceSize), as the labels and the Split handler count (for 32-bit sizes
// the same as in double precision); 0 for a piece size of 0.
std::uint64_t CountPieces(std::uint64_t sourceSize, std::uint32_t pieceSize);

}  // namespace parcelo
