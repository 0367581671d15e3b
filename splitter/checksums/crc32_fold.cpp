// Folding by carry-less multiplication, after Intel's paper "Fast CRC Computation for
// Generic Polynomials Using PCLMULQDQ Instruction" (2009), with its constants for the
// reflected CRC-32 polynomial: four lanes of 128 bits, each moved on by 512 bits at a time,
// and where the processor has VPCLMULQDQ with AVX-512 (64-bit builds), four lanes of 512
// bits moved on by 2048 bits. Only these functions use SSE or AVX: the rest of the program
// keeps to the instructions the build targets, and the processor is asked first.
#include "checksums/crc32_fold.h"

#if defined(__x86_64__) || defined(__i386__)

#include <cpuid.h>
#include <immintrin.h>

namespace parcelo {
namespace {

// The constant that moves a 128-bit lane on by n bits has x^(n+32) mod P for its low half
// and x^(n-32) mod P for its high half, both reflected and shifted left by one.
#define PARCELO_FOLD_BY(high, low) _mm_set_epi64x(static_cast<long long>(high), static_cast<long long>(low))

bool CanFoldWide() {
#if defined(__x86_64__)
  // These also ask whether the system saves the AVX-512 registers.
  return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("vpclmulqdq");
#else
  return false;
#endif
}

}  // namespace

FoldWidth Crc32FoldWidth() {
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  // On a 486 without CPUID, __get_cpuid finds the ID flag fixed and says no.
  if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx)) return FoldWidth::None;
  const bool pclmul = (ecx & bit_PCLMUL) != 0;
  const bool sse2 = (edx & bit_SSE2) != 0;
  const bool fxsr = (edx & bit_FXSAVE) != 0;
  if (!pclmul || !sse2 || !fxsr || !SystemKeepsSseState()) return FoldWidth::None;
  return CanFoldWide() ? FoldWidth::Wide : FoldWidth::Narrow;
}

#pragma GCC push_options
#pragma GCC target("sse2,pclmul")

namespace {

// lane moved on by the distance of k, plus next.
inline __m128i FoldInto(__m128i lane, __m128i next, __m128i k) {
  const __m128i low = _mm_clmulepi64_si128(lane, k, 0x00);
  const __m128i high = _mm_clmulepi64_si128(lane, k, 0x11);
  return _mm_xor_si128(_mm_xor_si128(high, low), next);
}

// The lane folded with the remaining 16-byte blocks, and the result down to 32 bits.
inline std::uint32_t Reduce(__m128i x1, const unsigned char* data, std::size_t size) {
  const __m128i by128 = PARCELO_FOLD_BY(0x00CCAA009E, 0x01751997D0);
  const __m128i x64 = _mm_set_epi64x(0, 0x0163CD6124);  // x^64 mod P: 128 bits down to 64
  // P itself and floor(x^64 / P), for the Barrett reduction to 32 bits.
  const __m128i barrett = _mm_set_epi64x(0x01F7011641, 0x01DB710641);
  const __m128i low32 = _mm_set_epi32(0, -1, 0, -1);
  while (size >= 16) {
    x1 = FoldInto(x1, _mm_loadu_si128(reinterpret_cast<const __m128i*>(data)), by128);
    data += 16;
    size -= 16;
  }
  __m128i x2 = _mm_clmulepi64_si128(x1, by128, 0x10);
  x1 = _mm_xor_si128(_mm_srli_si128(x1, 8), x2);
  x2 = _mm_srli_si128(x1, 4);
  x1 = _mm_xor_si128(_mm_clmulepi64_si128(_mm_and_si128(x1, low32), x64, 0x00), x2);
  x2 = _mm_clmulepi64_si128(_mm_and_si128(x1, low32), barrett, 0x10);
  x2 = _mm_clmulepi64_si128(_mm_and_si128(x2, low32), barrett, 0x00);
  x1 = _mm_xor_si128(x1, x2);
  return static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(x1, 4)));
}

inline __m128i Load(const unsigned char* data) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(data));
}

}  // namespace

// 32-bit Windows keeps its stack aligned to 4 bytes only; the SSE spills need 16.
__attribute__((force_align_arg_pointer))
std::uint32_t FoldCrc32(std::uint32_t state, const unsigned char* data, std::size_t size) {
  const __m128i by512 = PARCELO_FOLD_BY(0x01C6E41596, 0x0154442BD4);
  const __m128i by128 = PARCELO_FOLD_BY(0x00CCAA009E, 0x01751997D0);
  __m128i x1 = _mm_xor_si128(Load(data), _mm_cvtsi32_si128(static_cast<int>(state)));
  __m128i x2 = Load(data + 16);
  __m128i x3 = Load(data + 32);
  __m128i x4 = Load(data + 48);
  data += 64;
  size -= 64;
  while (size >= 64) {
    x1 = FoldInto(x1, Load(data), by512);
    x2 = FoldInto(x2, Load(data + 16), by512);
    x3 = FoldInto(x3, Load(data + 32), by512);
    x4 = FoldInto(x4, Load(data + 48), by512);
    data += 64;
    size -= 64;
  }
  x1 = FoldInto(x1, x2, by128);
  x1 = FoldInto(x1, x3, by128);
  x1 = FoldInto(x1, x4, by128);
  return Reduce(x1, data, size);
}

#pragma GCC pop_options

#if defined(__x86_64__)

#pragma GCC push_options
#pragma GCC target("sse2,pclmul,avx512f,vpclmulqdq")

namespace {

inline __m512i FoldWideInto(__m512i lane, __m512i next, __m512i k) {
  const __m512i low = _mm512_clmulepi64_epi128(lane, k, 0x00);
  const __m512i high = _mm512_clmulepi64_epi128(lane, k, 0x11);
  return _mm512_ternarylogic_epi64(low, high, next, 0x96);  // three-way exclusive or
}

inline __m512i LoadWide(const unsigned char* data) { return _mm512_loadu_si512(data); }

// The same 128-bit constant in each of the four lanes.
inline __m512i Broadcast(std::uint64_t high, std::uint64_t low) {
  return _mm512_set_epi64(static_cast<long long>(high), static_cast<long long>(low),
                          static_cast<long long>(high), static_cast<long long>(low),
                          static_cast<long long>(high), static_cast<long long>(low),
                          static_cast<long long>(high), static_cast<long long>(low));
}

}  // namespace

std::uint32_t FoldCrc32Wide(std::uint32_t state, const unsigned char* data, std::size_t size) {
  const __m512i by2048 = Broadcast(0x01322D1430, 0x011542778A);
  const __m512i by512 = Broadcast(0x01C6E41596, 0x0154442BD4);
  __m512i x1 = _mm512_xor_si512(LoadWide(data), _mm512_set_epi64(0, 0, 0, 0, 0, 0, 0, state));
  __m512i x2 = LoadWide(data + 64);
  __m512i x3 = LoadWide(data + 128);
  __m512i x4 = LoadWide(data + 192);
  data += 256;
  size -= 256;
  while (size >= 256) {
    x1 = FoldWideInto(x1, LoadWide(data), by2048);
    x2 = FoldWideInto(x2, LoadWide(data + 64), by2048);
    x3 = FoldWideInto(x3, LoadWide(data + 128), by2048);
    x4 = FoldWideInto(x4, LoadWide(data + 192), by2048);
    data += 256;
    size -= 256;
  }
  x1 = FoldWideInto(x1, x2, by512);
  x1 = FoldWideInto(x1, x3, by512);
  x1 = FoldWideInto(x1, x4, by512);
  // The four 128-bit lanes of x1, oldest first, on by 384, 256 and 128 bits onto the last.
  const __m128i by384 = PARCELO_FOLD_BY(0x0174359406, 0x003DB1ECDC);
  const __m128i by256 = PARCELO_FOLD_BY(0x015A546366, 0x00F1DA05AA);
  const __m128i by128 = PARCELO_FOLD_BY(0x00CCAA009E, 0x01751997D0);
  unsigned char lanes[64];
  _mm512_storeu_si512(lanes, x1);
  __m128i lane = Load(lanes + 48);
  lane = FoldInto(Load(lanes + 32), lane, by128);
  lane = FoldInto(Load(lanes + 16), lane, by256);
  lane = FoldInto(Load(lanes), lane, by384);
  return Reduce(lane, data, size);
}

#pragma GCC pop_options

#else

std::uint32_t FoldCrc32Wide(std::uint32_t state, const unsigned char* data, std::size_t size) {
  return FoldCrc32(state, data, size);
}

#endif

#undef PARCELO_FOLD_BY

}  // namespace parcelo

#else  // no carry-less multiply: the tables do it all

namespace parcelo {

FoldWidth Crc32FoldWidth() { return FoldWidth::None; }

std::uint32_t FoldCrc32(std::uint32_t state, const unsigned char*, std::size_t) { return state; }
std::uint32_t FoldCrc32Wide(std::uint32_t state, const unsigned char*, std::size_t) { return state; }

}  // namespace parcelo

#endif
