// Arithmetic in GF(2^16) with the generator 0x1100B, as PAR2's Reed-Solomon code has it:
// addition is XOR; products by logarithm tables.
#pragma once

#include <cstddef>
#include <cstdint>

namespace parcelo {

std::uint16_t GfMultiply(std::uint16_t a, std::uint16_t b);
// a / b, b not 0.
std::uint16_t GfDivide(std::uint16_t a, std::uint16_t b);
std::uint16_t GfPower(std::uint16_t a, std::uint32_t exponent);

// The constant of the input slice with the given index (0 first) in a recovery set: the
// powers of two whose order is 65535, in increasing exponent. index below 32768.
std::uint16_t InputSliceConstant(std::uint32_t index);

// acc[i] ^= factor * data[i] over size bytes of 16-bit little-endian words (size even).
void GfMultiplyAdd(std::uint16_t factor, const std::uint8_t* data, std::uint8_t* acc,
                   std::size_t size);

// The byte-table way alone, for the tests to hold a faster one against.
void GfMultiplyAddByTable(std::uint16_t factor, const std::uint8_t* data, std::uint8_t* acc,
                          std::size_t size);

// Which way GfMultiplyAdd takes on this processor, for the bench and the tests.
const char* GfMethod();

}  // namespace parcelo
