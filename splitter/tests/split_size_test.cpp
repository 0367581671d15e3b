// The size text rules, the Size and Num Pieces texts.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>

#include "dialog_fixture.h"
#include "engine/split_job.h"
#include "engine/split_messages.h"
#include "engine/split_size.h"
#include "frontend/frontend_messages.h"
#include "frontend/main_dialog_size.h"
#include "frontend/main_dialog_state.h"
#include "resources/control_ids.h"

namespace parcelo {
namespace {

TEST(SplitSizeText, CharactersAndSpaces) {
  const struct {
    const char* text;
    const char* problem;
  } cases[] = {
      {"1457264", nullptr},      {"1.5", nullptr},           {"12 ", nullptr},
      {"12   ", nullptr},        {"", nullptr},              {"   ", nullptr},
      {" 12", kTextSizeInnerSpace}, {"1 2", kTextSizeInnerSpace}, {"-5", kTextBadSizeCharacter},
      {"12k", kTextBadSizeCharacter}, {"1,5", kTextBadSizeCharacter},
      {"1\t", kTextBadSizeCharacter}, {"1 x", kTextBadSizeCharacter},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const char* problem = SplitSizeTextProblem(c.text);
    if (c.problem == nullptr) {
      EXPECT_EQ(problem, nullptr);
    } else {
      ASSERT_NE(problem, nullptr);
      EXPECT_STREQ(problem, c.problem);
    }
  }
}

TEST(SplitSizeText, BytesByUnitTruncatedAndNeverWrapped) {
  const struct {
    const char* text;
    int unit;
    std::uint64_t bytes;
  } cases[] = {
      {"1.5", kUnitKB, 1536},
      {"1.5", kUnitBytes, 1},
      {"0.5", kUnitMB, 524288},
      {"1.44", kUnitMB, 1509949},
      {"1.5.7", kUnitKB, 1536},  // a second point ends the number
      {".", kUnitBytes, 0},
      {".", kUnitMB, 0},
      {"0", kUnitKB, 0},
      {"12 ", kUnitBytes, 12},
      {"4294967295", kUnitBytes, 4294967295u},
      {"4294967296", kUnitBytes, kFourGigabytes},
      {"99999999999999999999999", kUnitBytes, kFourGigabytes},
      {"4194303.999", kUnitKB, 4294967294u},
      {"4194303.9995", kUnitKB, 4294967295u},
      {"4194304", kUnitKB, kFourGigabytes},
      {"4096", kUnitMB, kFourGigabytes},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.text) + " unit " + std::to_string(c.unit));
    EXPECT_EQ(SplitSizeBytes(c.text, c.unit), c.bytes);
  }
}

// What the size once was: the C library's strtod, times the unit, cut to whole bytes.
std::uint64_t BytesThroughStrtod(const std::string& text, int unit) {
  const double bytes = std::trunc(std::strtod(text.c_str(), nullptr) * (unit == kUnitKB ? 1024.0 : 1048576.0));
  return bytes < static_cast<double>(kFourGigabytes) ? static_cast<std::uint64_t>(bytes) : kFourGigabytes;
}

// An exact decimal text of a long double (which holds 64 bits, more than a double).
std::string ExactText(long double value) {
  char text[160];
  std::snprintf(text, sizeof text, "%.120Lf", value);
  return text;
}

TEST(SplitSizeText, KilobytesAndMegabytesAsStrtodReadsThem) {
  std::vector<std::string> texts = {"", ".", "5.", ".5", "  1.5", "1.5.7", "12 ",
                                    "0.000000000000000000000000000001",
                                    "4095.99999999999999999999", "4095.9999999999",
                                    "0.99999999999999999999999999999999999999999999",
                                    "00000000000000000000000000001.25",
                                    "4194303.99999999999999999999999999999999999999999"};
  // Halfway between the two doubles on either side of a whole byte count, and a hair to
  // either side of that: where rounding to a double decides the count.
  for (int shift : {10, 20}) {
    for (std::uint64_t count : {std::uint64_t{1}, std::uint64_t{2}, std::uint64_t{3}, std::uint64_t{1023},
                                std::uint64_t{1024}, std::uint64_t{1457264}, std::uint64_t{2097151},
                                std::uint64_t{4294967295u}}) {
      int log2 = -1;  // of count - 1; doubles just below count are 2^(log2 - 52) apart
      for (std::uint64_t n = count - 1; n != 0; n >>= 1) ++log2;
      const long double half = std::ldexp(1.0L, log2 - 53);
      const long double hair = std::ldexp(1.0L, log2 - 61);
      for (long double x : {count - half, count - half - hair, count - half + hair}) {
        texts.push_back(ExactText(std::ldexp(x, -shift)));
      }
    }
  }
  std::mt19937_64 random(1457264);
  for (int i = 0; i < 20000; ++i) {
    std::string text = std::to_string(random() % (i % 2 == 0 ? 5000 : 5000000));
    if (i % 7 != 0) text += ".";
    const int fractionDigits = static_cast<int>(random() % 30);
    for (int d = 0; d < fractionDigits; ++d) text += static_cast<char>('0' + (i % 5 == 0 ? 9 : random() % 10));
    texts.push_back(text);
  }
  for (const std::string& text : texts) {
    for (int unit : {kUnitKB, kUnitMB}) {
      ASSERT_EQ(SplitSizeBytes(text, unit), BytesThroughStrtod(text, unit)) << text << " unit " << unit;
    }
  }
}

TEST(SplitSizeText, RoundingToADoubleReachesTheNextByte) {
  // The tests above are only as good as their boundary cases: check that one of them turns.
  const std::string halfway = ExactText(std::ldexp(1457264.0L - std::ldexp(1.0L, -33), -10));
  EXPECT_EQ(SplitSizeBytes(halfway, kUnitKB), 1457264u) << halfway;
  const std::string below = ExactText(std::ldexp(1457264.0L - std::ldexp(1.0L, -32), -10));
  EXPECT_EQ(SplitSizeBytes(below, kUnitKB), 1457263u) << below;
}

TEST(SplitSizeText, PieceCountsAsInDoublePrecision) {
  std::mt19937 random(737);
  for (int i = 0; i < 100000; ++i) {
    const std::uint32_t source = random() >> (random() % 32);
    const std::uint32_t piece = (random() >> (random() % 32)) | 1;
    ASSERT_EQ(CountPieces(source, piece),
              static_cast<std::uint32_t>(std::ceil(static_cast<double>(source) / piece)))
        << source << " / " << piece;
  }
  EXPECT_EQ(CountPieces(4294967295u, 1), 4294967295u);
  EXPECT_EQ(CountPieces(100, 0), 0u);
}

using SizeLabels = DialogFixture;

TEST_F(SizeLabels, FileSizeFormsAtTheirBoundaries) {
  const struct {
    std::uint32_t size;
    const char* text;
  } cases[] = {
      {0, "0 bytes"},
      {1023, "1023 bytes"},
      {1024, "1.00 KB (1024 bytes)"},
      {1048575, "1024.00 KB (1048575 bytes)"},
      {1048576, "1.00 MB (1048576 bytes)"},
      {1457664, "1.39 MB (1457664 bytes)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.size);
    const std::string path = MakeSource("F.DAT", c.size);
    std::string text = "Size: ";
    EXPECT_EQ(FormatFileSize(path, &text), 1);
    EXPECT_EQ(text, std::string("Size: ") + c.text);
    EXPECT_EQ(splitJob.sourceSize, c.size);
  }
  std::string text = "Size: ";
  EXPECT_EQ(FormatFileSize("C:\\Data\\NONE.DAT", &text), 0);
  EXPECT_EQ(text, "Size: ");
  EXPECT_EQ(splitJob.sourceSize, 0u);
}

TEST_F(SizeLabels, SourceOfFourGigabytesShowsItsTrueSizeAndNoCount) {
  const std::string host = Host('C', "Data/HUGE.DAT");
  WriteHostFile(host, "");
  ASSERT_EQ(truncate(host.c_str(), 5368709120LL), 0);  // sparse: 5 GiB on no disk space
  std::string text;
  EXPECT_EQ(FormatFileSize("C:\\Data\\HUGE.DAT", &text), 1);
  EXPECT_EQ(text, "5120.00 MB (5368709120 bytes)");

  OpenMain();
  Type(kIdSizeEdit, "1");
  Select(kIdUnitList, kUnitMB);
  Type(kIdSourceEdit, "C:\\Data\\HUGE.DAT");
  EXPECT_EQ(Text(kIdPiecesLabel), "Num Pieces: ");
}

TEST_F(SizeLabels, PieceCountsRoundUpAndTooBigKeepsTheCount) {
  OpenMain();
  MakeSource("TEN.DAT", 10000);
  Select(kIdUnitList, kUnitBytes);
  Type(kIdSourceEdit, "C:\\Data\\TEN.DAT");
  const struct {
    const char* size;
    const char* label;
    std::uint32_t count;
  } cases[] = {
      {"3000", "Num Pieces: 4", 4},
      {"2500", "Num Pieces: 4", 4},
      {"10000", "Num Pieces: 1", 1},
      {"10001", "Num Pieces: Split size too big", 1},  // the count stays as it was
      {"0", "Num Pieces: ", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.size);
    Type(kIdSizeEdit, c.size);
    EXPECT_EQ(Text(kIdPiecesLabel), c.label);
    EXPECT_EQ(splitJob.pieceCount, c.count);
  }
  ChooseMode(kIdSpanRadio);
  EXPECT_EQ(Text(kIdPiecesLabel), "Num Pieces: Spanned");
  EXPECT_EQ(splitJob.spanToDisk, 1);
  EXPECT_EQ(splitJob.pieceSize, 0u);
}

TEST_F(SizeLabels, PresetIgnoresTheTextAndBadTextIsReportedAtEachRefresh) {
  OpenMain();
  MakeSource("TEN.DAT", 3000000);
  Type(kIdSourceEdit, "C:\\Data\\TEN.DAT");
  ChooseMode(kIdPresetRadio);
  Type(kIdSizeEdit, "junk");  // not checked in Preset mode
  EXPECT_TRUE(sys_->boxes.empty());
  EXPECT_EQ(splitJob.pieceSize, 1457264u);
  EXPECT_EQ(Text(kIdPiecesLabel), "Num Pieces: 3");
  Select(kIdPresetList, 3);
  EXPECT_EQ(splitJob.pieceSize, 2621440u);

  ChooseMode(kIdSpecifiedRadio);
  ASSERT_EQ(sys_->boxes.size(), 1u);
  EXPECT_EQ(sys_->boxes[0].text, kTextBadSizeCharacter);
  EXPECT_EQ(sys_->boxes[0].caption, "Error");
  EXPECT_EQ(sys_->boxes[0].style, kMbIconError);
  EXPECT_EQ(splitJob.pieceSize, 2621440u) << "a refused text keeps the size";
  Type(kIdSizeEdit, "junk2");
  EXPECT_EQ(sys_->boxes.size(), 2u);
}

}  // namespace
}  // namespace parcelo
