// Format against the C library's snprintf, which it stands in for in the Windows program:
// every text must come out byte for byte the same.
#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "engine/text_format.h"

namespace parcelo {
namespace {

template <typename... Args>
std::string Printf(const char* format, Args... args) {
  const int length = std::snprintf(nullptr, 0, format, args...);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  std::snprintf(&text[0], text.size(), format, args...);
  text.resize(static_cast<std::size_t>(length));
  return text;
}

#define EXPECT_AS_PRINTF(...) EXPECT_EQ(Format(__VA_ARGS__), Printf(__VA_ARGS__))

TEST(TextFormat, IntegersTextsAndFlagsAsPrintf) {
  for (int value : {0, 7, -7, 42, 9999, 10000, -10000, INT_MAX, INT_MIN}) {
    SCOPED_TRACE(value);
    EXPECT_AS_PRINTF("%d", value);
    EXPECT_AS_PRINTF("[%5d|%-5d|%05d|%04d]", value, value, value, value);
    EXPECT_AS_PRINTF("%.3d %.0d %8.3d", value, value, value);
    EXPECT_AS_PRINTF("%u %i", static_cast<unsigned>(value), value);
    EXPECT_AS_PRINTF("%ld %lld %lu %llu", static_cast<long>(value), static_cast<long long>(value) * 100000,
                     static_cast<unsigned long>(value), static_cast<unsigned long long>(value));
  }
  EXPECT_AS_PRINTF("%lld %llu", LLONG_MIN, ULLONG_MAX);
  EXPECT_AS_PRINTF("Splitting \"%s\" into %d pieces...", "Long Holiday Film.avi", 737);
  EXPECT_AS_PRINTF("[%s|%10s|%-10s|%.3s|%.0s|%s]", "abc", "abc", "abc", "abcdef", "abc", "");
  EXPECT_AS_PRINTF("%c%c 100%% %%d", 'a', 'Z');
  EXPECT_AS_PRINTF("no conversions at all");
  EXPECT_AS_PRINTF("%s", "\xE9t\xE9 \x80");
}

TEST(TextFormat, FixedPointRoundsExactlyHalfToEven) {
  // Exact binary halves, where rounding up and rounding to even part ways.
  for (double value : {0.125, 0.375, 0.625, 2.5, 3.5, 0.5, 1.5, 1023.995, 1.005, 9.995, 99.995,
                       0.0, -0.0, -0.125, -2.5, 1e-320, DBL_MIN, DBL_MAX, 1e22, 123456789.0,
                       double{INFINITY}, -double{INFINITY}}) {
    SCOPED_TRACE(value);
    EXPECT_AS_PRINTF("%.2f %.0f %.1f %f %.10f", value, value, value, value, value);
    EXPECT_AS_PRINTF("[%10.2f|%-10.2f|%010.2f]", value, value, value);
  }
}

TEST(TextFormat, FileSizesInKilobytesAndMegabytesAsPrintf) {
  // The Size label's numbers: every size near the unit steps, and a spread of all sizes.
  std::mt19937_64 random(23);
  for (int i = 0; i < 200000; ++i) {
    std::uint64_t size = i < 100000 ? static_cast<std::uint64_t>(i) * 41
                                    : random() >> (random() % 64);
    if (i % 3 == 0) size = (size % 4096) + (std::uint64_t{1} << (random() % 40));
    const double kilobytes = static_cast<double>(size) / 1024.0;
    const double megabytes = static_cast<double>(size) / 1048576.0;
    ASSERT_EQ(Format("%.2f KB", kilobytes), Printf("%.2f KB", kilobytes)) << size;
    ASSERT_EQ(Format("%.2f MB", megabytes), Printf("%.2f MB", megabytes)) << size;
  }
}

TEST(TextFormat, AnyDoubleAtAnyPrecisionAsPrintf) {
  std::mt19937_64 random(95);
  for (int i = 0; i < 20000; ++i) {
    std::uint64_t bits = random();
    double value;
    std::memcpy(&value, &bits, sizeof value);
    if (std::isnan(value)) continue;
    if (i % 2 == 0) value = std::ldexp(static_cast<double>(random() >> 11), static_cast<int>(random() % 120) - 100);
    const std::string format = "%." + std::to_string(random() % 20) + "f";
    ASSERT_EQ(Format(format.c_str(), value), Printf(format.c_str(), value))
        << std::hexfloat << value << " " << format;
  }
}

}  // namespace
}  // namespace parcelo
