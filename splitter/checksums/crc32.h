// CRC-32 as ZIP, PNG and SFV files have it: polynomial 0x04C11DB7, bits reflected, from and
// to all ones.
#pragma once

#include <cstddef>
#include <cstdint>

namespace parcelo {

// The CRC-32 of the bytes so far (crc, 0 before the first) followed by size bytes of data.
std::uint32_t Crc32Update(std::uint32_t crc, const void* data, std::size_t size);

// The CRC-32 of two runs of bytes one after the other, from the CRC-32 of each and the
// length of the second: no byte read again.
std::uint32_t Crc32Combine(std::uint32_t first, std::uint32_t second, std::uint64_t secondSize);

// The table way alone, for the tests to hold the fast one against.
std::uint32_t Crc32UpdateByTable(std::uint32_t crc, const void* data, std::size_t size);

// Which way Crc32Update takes on this processor, for the bench and the tests.
const char* Crc32Method();

}  // namespace parcelo
