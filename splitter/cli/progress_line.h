// One line of progress on a terminal, redrawn in place and only a few times a second: a
// console can take tens of milliseconds per draw, far more than a chunk of the split.
#pragma once

#include <chrono>
#include <functional>
#include <string>

namespace parcelo {

enum class LineStyle {
  kNone,     // not a terminal: nothing is drawn
  kEscapes,  // CR, then ESC [ K clears the old line
  kBlanks,   // CR, then blanks over what the old line left (consoles without escapes)
};

class ProgressLine {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::milliseconds kInterval{250};

  // write puts its text on the terminal in one piece. columns: the terminal's width, 0 when
  // unknown; a line is cut to one less so that it never wraps (CR cannot go back over a
  // wrapped line).
  ProgressLine(std::function<void(const std::string&)> write, LineStyle style,
               std::size_t columns, std::function<Clock::time_point()> clock = Clock::now);

  bool Enabled() const { return style_ != LineStyle::kNone; }

  // The state now. Drawn at once when the last draw is long enough ago, else kept for
  // Flush or a later Show.
  void Show(const std::string& text);
  // Draws what Show kept back.
  void Flush();
  // Flush, then leaves the line, so that other text starts on a fresh one.
  void End();
  // A line of its own, after the progress so far.
  void WriteLine(const std::string& text);

 private:
  void Draw();

  std::function<void(const std::string&)> write_;
  LineStyle style_;
  std::size_t columns_;
  std::function<Clock::time_point()> clock_;

  std::string pending_;
  bool hasPending_ = false;
  bool open_ = false;  // the first state on a fresh line is drawn at once
  std::size_t drawnLength_ = 0;
  Clock::time_point nextDraw_;
};

}  // namespace parcelo
