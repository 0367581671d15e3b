// A split run's progress on a terminal: the caption as a line, the status and the bar as
// one line on standard error redrawn in place, only while that is a terminal.
#pragma once

#include <chrono>
#include <string>

#include "cli/progress_line.h"
#include "engine/split_progress.h"

namespace parcelo {

class TerminalProgress final : public SplitProgress {
 public:
  TerminalProgress();
  // On a given terminal and clock, for tests.
  explicit TerminalProgress(ProgressLine line);
  ~TerminalProgress() { line_.End(); }

  // The question goes to the installed System's message box, on a fresh line.
  int Ask(const std::string& text, const std::string& caption, unsigned style) override;
  void ShowCaption(const std::string& text) override;
  void ShowStatus(const std::string& text) override;
  void SetRange(std::uint32_t maximum) override { maximum_ = maximum; }
  void SetPosition(std::uint32_t position) override;
  void Step(std::int32_t delta) override;
  void EnableStop(bool) override {}
  void ShowFinished() override {}
  void ForgetRequest() override {}
  void Close(bool) override {}

 private:
  void Draw();

  ProgressLine line_;
  std::string status_;
  std::uint32_t maximum_ = 0;
  std::uint32_t position_ = 0;
  std::chrono::steady_clock::time_point started_;
};

}  // namespace parcelo
