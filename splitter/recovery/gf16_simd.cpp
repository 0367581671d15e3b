// Only these functions use SSE: the rest of the program keeps to the instructions the build
// targets, and the processor is asked first.
#include "recovery/gf16_simd.h"

#include "checksums/crc32_fold.h"
#include "recovery/gf16.h"

#if defined(__x86_64__) || defined(__i386__)

#include <cpuid.h>
#include <immintrin.h>

namespace parcelo {

bool GfCanShuffle() {
  static const bool can = [] {
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx)) return false;
    const bool ssse3 = (ecx & bit_SSSE3) != 0;
    const bool sse2 = (edx & bit_SSE2) != 0;
    const bool fxsr = (edx & bit_FXSAVE) != 0;
    return ssse3 && sse2 && fxsr && SystemKeepsSseState();
  }();
  return can;
}

#pragma GCC push_options
#pragma GCC target("sse2,ssse3")

std::size_t GfMultiplyAddShuffle(std::uint16_t factor, const std::uint8_t* data,
                                 std::uint8_t* acc, std::size_t size) {
  // For nibble n of a word (0 lowest) and value v: the low and high bytes of
  // factor * (v << 4n).
  alignas(16) std::uint8_t lowBytes[4][16], highBytes[4][16];
  for (int n = 0; n < 4; ++n) {
    for (int v = 0; v < 16; ++v) {
      const std::uint16_t product = GfMultiply(factor, static_cast<std::uint16_t>(v << (4 * n)));
      lowBytes[n][v] = static_cast<std::uint8_t>(product);
      highBytes[n][v] = static_cast<std::uint8_t>(product >> 8);
    }
  }
  __m128i tl[4], th[4];
  for (int n = 0; n < 4; ++n) {
    tl[n] = _mm_load_si128(reinterpret_cast<const __m128i*>(lowBytes[n]));
    th[n] = _mm_load_si128(reinterpret_cast<const __m128i*>(highBytes[n]));
  }
  const __m128i byteMask = _mm_set1_epi16(0x00FF);
  const __m128i nibbleMask = _mm_set1_epi8(0x0F);
  const std::size_t whole = size & ~std::size_t(31);
  for (std::size_t i = 0; i < whole; i += 32) {
    const __m128i v0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
    const __m128i v1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i + 16));
    // Sixteen words as their sixteen low bytes and sixteen high bytes.
    const __m128i lo = _mm_packus_epi16(_mm_and_si128(v0, byteMask), _mm_and_si128(v1, byteMask));
    const __m128i hi = _mm_packus_epi16(_mm_srli_epi16(v0, 8), _mm_srli_epi16(v1, 8));
    const __m128i n0 = _mm_and_si128(lo, nibbleMask);
    const __m128i n1 = _mm_and_si128(_mm_srli_epi16(lo, 4), nibbleMask);
    const __m128i n2 = _mm_and_si128(hi, nibbleMask);
    const __m128i n3 = _mm_and_si128(_mm_srli_epi16(hi, 4), nibbleMask);
    __m128i rl = _mm_xor_si128(_mm_shuffle_epi8(tl[0], n0), _mm_shuffle_epi8(tl[1], n1));
    rl = _mm_xor_si128(rl, _mm_xor_si128(_mm_shuffle_epi8(tl[2], n2), _mm_shuffle_epi8(tl[3], n3)));
    __m128i rh = _mm_xor_si128(_mm_shuffle_epi8(th[0], n0), _mm_shuffle_epi8(th[1], n1));
    rh = _mm_xor_si128(rh, _mm_xor_si128(_mm_shuffle_epi8(th[2], n2), _mm_shuffle_epi8(th[3], n3)));
    __m128i* out = reinterpret_cast<__m128i*>(acc + i);
    _mm_storeu_si128(out, _mm_xor_si128(_mm_loadu_si128(out), _mm_unpacklo_epi8(rl, rh)));
    _mm_storeu_si128(out + 1,
                     _mm_xor_si128(_mm_loadu_si128(out + 1), _mm_unpackhi_epi8(rl, rh)));
  }
  return whole;
}

#pragma GCC pop_options

}  // namespace parcelo

#else

namespace parcelo {
bool GfCanShuffle() { return false; }
std::size_t GfMultiplyAddShuffle(std::uint16_t, const std::uint8_t*, std::uint8_t*,
                                 std::size_t) {
  return 0;
}
}  // namespace parcelo

#endif
