// The split size: from a typed text or a preset to bytes, and the count of pieces.
#pragma once

#include <cstdint>
#include <string>

namespace parcelo {

enum SizeUnit { kUnitBytes = 0, kUnitKB = 1, kUnitMB = 2 };
constexpr std::uint32_t kPresetSizes[4] = {729712, 1213552, 1457264, 2621440};
constexpr std::uint64_t kFourGigabytes = 0x100000000ull;

// What is wrong with a typed size text, if anything: nullptr or the error text.
const char* SplitSizeTextProblem(const std::string& text);

// The bytes a checked size text gives in a unit (kUnitBytes, kUnitKB, kUnitMB). Values that
// do not fit in 32 bits come back as they are, up to kFourGigabytes (which stands for more).
std::uint64_t SplitSizeBytes(const std::string& text, int unit);

// ceil(sourceSize / pieceSize), as the labels and the Split handler count (for 32-bit sizes
// the same as in double precision); 0 for a piece size of 0.
std::uint64_t CountPieces(std::uint64_t sourceSize, std::uint32_t pieceSize);

}  // namespace parcelo
