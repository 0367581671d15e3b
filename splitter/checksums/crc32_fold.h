// The carry-less multiply (PCLMULQDQ) way of CRC-32: the bytes are folded into lanes of 128
// (or 512) bits, then reduced to 32 bits. x86 only, and only where the processor and the
// system have it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace parcelo {

enum class FoldWidth { None, Narrow, Wide };

// Which fold may run here: none, the 128-bit one (PCLMULQDQ and SSE2, with a system that
// keeps the SSE registers across task switches), or also the 512-bit one (VPCLMULQDQ and
// AVX-512, 64-bit builds).
FoldWidth Crc32FoldWidth();

// The inner (not inverted) CRC state after size bytes. FoldCrc32: size at least 64,
// FoldCrc32Wide: at least 256; both a multiple of 16.
std::uint32_t FoldCrc32(std::uint32_t state, const unsigned char* data, std::size_t size);
std::uint32_t FoldCrc32Wide(std::uint32_t state, const unsigned char* data, std::size_t size);

// Whether the system saves the SSE registers of a thread, on top of what the processor has.
bool SystemKeepsSseState();

}  // namespace parcelo
