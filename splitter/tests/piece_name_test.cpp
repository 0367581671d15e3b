#include <gtest/gtest.h>

#include "engine/piece_name.h"

namespace parcelo {
namespace {

TEST(PieceName, SuffixHasAtLeastThreeDigits) {
  const struct {
    int n;
    const char* expected;
  } cases[] = {{0, "B.000"}, {7, "B.007"}, {9, "B.009"},  {10, "B.010"},
               {42, "B.042"}, {99, "B.099"}, {100, "B.100"}, {999, "B.999"},
               {1000, "B.1000"}, {12345, "B.12345"}};
  for (const auto& c : cases) {
    std::string name = "B";
    EXPECT_EQ(AppendPieceNumber(c.n, name), c.expected);
    EXPECT_EQ(name, c.expected) << "appends in place";
  }
}

TEST(PieceName, IntermediatesMatchTheDelWildcard) {
  EXPECT_EQ(IntermediateName("BIGFILE", 0), "BIGFILE.00_");
  EXPECT_EQ(IntermediateName("BIGFILE", 1), "BIGFILE.01_");
  EXPECT_EQ(IntermediateName("BIGFILE", 14), "BIGFILE.14_");
  EXPECT_EQ(IntermediateName("BIGFILE", 99), "BIGFILE.99_");
  // Beyond line 99 the names wrap but stay three characters; neighbours always differ.
  for (int line = 1; line < 300; ++line) {
    const std::string name = IntermediateName("B", line);
    EXPECT_EQ(name.size(), 5u);
    EXPECT_NE(name, IntermediateName("B", line - 1));
  }
}

TEST(PieceName, PathsGetExactlyOneSeparator) {
  EXPECT_EQ(PathInFolder("C:\\Out", "X.000"), "C:\\Out\\X.000");
  EXPECT_EQ(PathInFolder("A:\\", "X.000"), "A:\\X.000");
  EXPECT_EQ(PiecePath("C:\\Out\\", "HOLIDA~1", 2), "C:\\Out\\HOLIDA~1.002");
}

}  // namespace
}  // namespace parcelo

namespace parcelo {
namespace {

TEST(PieceName, TheNextTailKeepsEightCharacters) {
  const struct {
    const char* shortName;
    const char* next;  // "" when there is none
  } cases[] = {{"HOLIDA~1.AVI", "HOLIDA~2.AVI"}, {"HOLIDA~9", "HOLID~10"},
               {"AB~1.TXT", "AB~2.TXT"},         {"HOLI~999.X", "HOL~1000.X"},
               {"A~999999.BIN", ""},             {"BACKUP.ZIP", ""},
               {"ODD~.TXT", ""},                 {"~1.TXT", ""}};
  for (const auto& c : cases) EXPECT_EQ(NextShortNameTail(c.shortName), c.next) << c.shortName;
}

}  // namespace
}  // namespace parcelo
