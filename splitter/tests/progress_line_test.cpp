// The terminal's progress line: how often it is drawn, how it is erased, and that the last
// state is on screen before anything else is written.
#include "cli/progress_line.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "cli/console_system.h"
#include "cli/terminal_progress.h"
#include "engine/app_settings.h"
#include "engine/split_job.h"
#include "frontend/progress_dialog.h"
#include "resources/control_ids.h"
#include "split_fixture.h"

namespace parcelo {
namespace {

using std::chrono::milliseconds;
using Clock = ProgressLine::Clock;

// A clock that moves only when told to, and writes that are kept.
struct Terminal {
  Clock::time_point now{};
  milliseconds perWrite{0};  // how long a console takes to draw
  std::vector<std::string> writes;

  ProgressLine Line(LineStyle style, std::size_t columns = 0) {
    return ProgressLine(
        [this](const std::string& text) {
          writes.push_back(text);
          now += perWrite;
        },
        style, columns, [this] { return now; });
  }
  std::string All() const {
    std::string all;
    for (const std::string& w : writes) all += w;
    return all;
  }
};

TEST(ProgressLineTest, DrawsAtMostFourTimesASecondButNeverLosesTheLastState) {
  Terminal terminal;
  ProgressLine line = terminal.Line(LineStyle::kEscapes);
  line.Show("piece 1");  // the first state on a fresh line: at once
  for (int i = 2; i <= 100; ++i) {
    terminal.now += milliseconds(10);
    line.Show("piece " + std::to_string(i));
  }
  // 990 ms of updates every 10 ms: drawn at 0, 250, 500, 750 ms.
  EXPECT_EQ(terminal.writes, (std::vector<std::string>{"\r\033[Kpiece 1", "\r\033[Kpiece 26",
                                                        "\r\033[Kpiece 51", "\r\033[Kpiece 76"}));
  line.End();
  EXPECT_EQ(terminal.writes.size(), 6u);
  EXPECT_EQ(terminal.writes[4], "\r\033[Kpiece 100") << "kept back, drawn before the end";
  EXPECT_EQ(terminal.writes[5], "\n");
  line.End();
  EXPECT_EQ(terminal.writes.size(), 6u) << "an ended line is not ended twice";
}

TEST(ProgressLineTest, StatusChangesAreThrottledLikeTheBar) {
  Terminal terminal;
  ProgressLine line = terminal.Line(LineStyle::kEscapes);
  line.Show("Initializing...");
  line.Show("Writing piece 1 of 3...");
  line.Show("Writing piece 2 of 3...");
  EXPECT_EQ(terminal.writes.size(), 1u);
  line.Flush();
  line.Flush();
  EXPECT_EQ(terminal.writes, (std::vector<std::string>{"\r\033[KInitializing...",
                                                        "\r\033[KWriting piece 2 of 3..."}));
}

TEST(ProgressLineTest, ASlowConsoleIsDrawnLessOften) {
  Terminal terminal;
  terminal.perWrite = milliseconds(40);  // 20 times that: 800 ms between draws
  ProgressLine line = terminal.Line(LineStyle::kBlanks);
  for (int i = 0; i < 200; ++i) {
    line.Show(std::to_string(i));
    terminal.now += milliseconds(10);
  }
  // About 2 s of work plus the drawing: draws at 0, 800 and 1600 ms of the clock.
  EXPECT_EQ(terminal.writes.size(), 3u);
}

TEST(ProgressLineTest, ErasesWithEscapesOrWithBlanks) {
  const struct {
    LineStyle style;
    std::vector<std::string> expected;
  } cases[] = {
      {LineStyle::kEscapes,
       {"\r\033[KWriting piece 10 of 12...", "\r\033[KFinished.", "\n", "Caption\n",
        "\r\033[KNext"}},
      // Blanks cover exactly what the longer line before left.
      {LineStyle::kBlanks,
       {"\rWriting piece 10 of 12...", "\rFinished.                ", "\n", "Caption\n",
        "\rNext"}},
      {LineStyle::kNone, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.style));
    Terminal terminal;
    ProgressLine line = terminal.Line(c.style);
    line.Show("Writing piece 10 of 12...");
    terminal.now += milliseconds(300);
    line.Show("Finished.");
    line.WriteLine("Caption");
    line.Show("Next");  // a fresh line: drawn at once, with nothing to erase
    EXPECT_EQ(terminal.writes, c.expected);
    if (c.style != LineStyle::kEscapes) {
      EXPECT_EQ(terminal.All().find('\033'), std::string::npos);
    }
  }
}

TEST(ProgressLineTest, ALineNeverWrapsOnANarrowTerminal) {
  Terminal terminal;
  ProgressLine line = terminal.Line(LineStyle::kBlanks, 10);
  line.Show("Writing recombination batch file...");
  terminal.now += milliseconds(300);
  line.Show("Done.");
  EXPECT_EQ(terminal.writes, (std::vector<std::string>{"\rWriting r", "\rDone.    "}));
}

// The whole engine through the console, with a clock that stands still: only the first
// state and the last before each message or the end are drawn.
class ConsoleProgress : public SplitFixture {};

TEST_F(ConsoleProgress, ARunDrawsItsFirstAndLastStatesOnly) {
  appSettings.noReminders = 1;
  appSettings.closeWhenDone = 0;
  MakeSource("SRC.DAT", 50000);
  RequestSized("SRC.DAT", 1000);
  Terminal terminal;
  {
    ConsoleSystem console(*sys_, true);
    TerminalProgress progress(terminal.Line(LineStyle::kBlanks));
    System tables = sys_->Tables();
    tables.windows = &console;
    InstallSystem(tables);
    splitProgress = &progress;
    EXPECT_EQ(Run(), 1);
    splitProgress = &ProgressDialogReport();
    InstallSystem(sys_);
  }
  ASSERT_EQ(terminal.writes.size(), 4u) << terminal.All();
  EXPECT_EQ(terminal.writes[0], "Splitting \"SRC.DAT\" into 50 pieces...\n");
  EXPECT_TRUE(std::regex_match(terminal.writes[1],
                               std::regex("\rInitializing\\.\\.\\. \\[\\.{30}\\]   0% .*")))
      << terminal.writes[1];
  EXPECT_TRUE(std::regex_match(terminal.writes[2],
                               std::regex("\rFinished\\. \\[#{30}\\] 100% [0-9.]+ MB/s *")))
      << terminal.writes[2];
  EXPECT_EQ(terminal.writes[3], "\n");
  EXPECT_EQ(List(Host('C', "Out")).size(), 51u);
}

}  // namespace
}  // namespace parcelo
