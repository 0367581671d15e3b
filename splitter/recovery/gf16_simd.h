// The SSSE3 way of multiplying a run of GF(2^16) words by one factor: each word's four
// nibbles looked up in 16-entry tables with PSHUFB. x86 only, and only where the processor
// and the system have it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace parcelo {

// Whether the shuffle way may run here (SSSE3, and a system that keeps the SSE registers
// across task switches).
bool GfCanShuffle();

// acc ^= factor * data over the leading multiple of 32 bytes of size; returns how many
// bytes it did.
std::size_t GfMultiplyAddShuffle(std::uint16_t factor, const std::uint8_t* data,
                                 std::uint8_t* acc, std::size_t size);

}  // namespace parcelo
