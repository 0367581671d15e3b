#include "cli/progress_line.h"

#include <algorithm>
#include <utility>

namespace parcelo {

constexpr std::chrono::milliseconds ProgressLine::kInterval;

namespace {
// Drawing may take at most this share of the time: a slow console draws less often.
constexpr int kTimePerDraw = 20;
}  // namespace

ProgressLine::ProgressLine(std::function<void(const std::string&)> write, LineStyle style,
                           std::size_t columns, std::function<Clock::time_point()> clock)
    : write_(std::move(write)), style_(style), columns_(columns), clock_(std::move(clock)) {}

void ProgressLine::Show(const std::string& text) {
  if (!Enabled()) return;
  pending_ = text;
  hasPending_ = true;
  if (!open_ || clock_() >= nextDraw_) Draw();
}

void ProgressLine::Flush() {
  if (hasPending_) Draw();
}

void ProgressLine::End() {
  Flush();
  if (!open_) return;
  write_("\n");
  open_ = false;
  drawnLength_ = 0;
}

void ProgressLine::WriteLine(const std::string& text) {
  if (!Enabled()) return;
  End();
  write_(text + "\n");
}

void ProgressLine::Draw() {
  const Clock::time_point started = clock_();
  std::string line = std::move(pending_);
  hasPending_ = false;
  if (columns_ > 1 && line.size() > columns_ - 1) line.resize(columns_ - 1);
  std::string output = "\r";
  if (style_ == LineStyle::kEscapes) output += "\033[K";
  output += line;
  if (style_ == LineStyle::kBlanks && drawnLength_ > line.size()) {
    output.append(drawnLength_ - line.size(), ' ');
  }
  write_(output);
  open_ = true;
  drawnLength_ = line.size();
  const Clock::duration took = clock_() - started;
  nextDraw_ = started + std::max<Clock::duration>(kInterval, took * kTimePerDraw);
}

}  // namespace parcelo
