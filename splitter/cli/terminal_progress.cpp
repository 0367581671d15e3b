#include "cli/terminal_progress.h"

#include <cstdio>
#include <utility>

#include "cli/host.h"
#include "engine/split_job.h"
#include "platform/system.h"

namespace parcelo {
namespace {

constexpr int kBarWidth = 30;

ProgressLine StderrProgressLine() {
  std::size_t columns = 0;
  const LineStyle style = StderrLineStyle(&columns);
  return ProgressLine([](const std::string& text) { WriteWhole(stderr, text); }, style, columns);
}

}  // namespace

TerminalProgress::TerminalProgress() : TerminalProgress(StderrProgressLine()) {}

TerminalProgress::TerminalProgress(ProgressLine line)
    : line_(std::move(line)), started_(std::chrono::steady_clock::now()) {}

int TerminalProgress::Ask(const std::string& text, const std::string& caption, unsigned style) {
  line_.End();
  return Windows().ShowMessageBox(nullptr, text, caption, style);
}

void TerminalProgress::ShowCaption(const std::string& text) {
  if (line_.Enabled()) line_.WriteLine(text);
}

void TerminalProgress::ShowStatus(const std::string& text) {
  status_ = text;
  Draw();
}

void TerminalProgress::SetPosition(std::uint32_t position) {
  position_ = position;
  Draw();
}

void TerminalProgress::Step(std::int32_t delta) {
  position_ += static_cast<std::uint32_t>(delta);
  Draw();
}

void TerminalProgress::Draw() {
  if (!line_.Enabled()) return;
  const auto now = std::chrono::steady_clock::now();
  // The bar clamps as the dialog's control does.
  const std::uint32_t shown = maximum_ == 0 ? 0 : (position_ > maximum_ ? maximum_ : position_);
  const int percent = maximum_ == 0 ? 0 : static_cast<int>(100ull * shown / maximum_);
  const int filled = percent * kBarWidth / 100;
  const double seconds = std::chrono::duration<double>(now - started_).count();
  const double rate = seconds > 0 ? splitJob.totalBytesWritten / seconds : 0;
  if (splitJob.sourceStream != kInvalidFile) {  // a pipe's end is not known: no bar
    char sofar[64];
    std::snprintf(sofar, sizeof sofar, " %.1f MB, %.1f MB/s",
                  splitJob.totalBytesWritten / 1048576.0, rate / 1048576.0);
    line_.Show(status_ + sofar);
    return;
  }
  char tail[48];
  std::snprintf(tail, sizeof tail, "] %3d%% %.1f MB/s", percent, rate / 1048576.0);
  line_.Show(status_ + " [" + std::string(filled, '#') + std::string(kBarWidth - filled, '.') +
             tail);
}

}  // namespace parcelo
