// The size text rules, the Size and Num Pieces texts.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "dialog_fixture.h"
#include "engine/split_job.h"
#include "frontend/control_ids.h"
#include "frontend/frontend_messages.h"
#include "frontend/main_dialog_state.h"
#include "frontend/split_size.h"

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
