// Message boxes and the progress dialog on a terminal, for the command-line splitter.
#pragma once

#include <chrono>
#include <string>

#include "cli/progress_line.h"
#include "platform/system.h"

namespace parcelo {

class ConsoleSystem : public ForwardingSystem {
 public:
  // assumeYes answers each question with OK, Yes or Retry; the same question asked again
  // straight away gets the cautious answer, so that no retry loop runs for ever.
  ConsoleSystem(System* platform, bool assumeYes);
  // The progress line on a given terminal and clock, for tests.
  ConsoleSystem(System* platform, bool assumeYes, ProgressLine line);
  ~ConsoleSystem() override { EndProgressLine(); }

  // Texts alone: errors on standard error, the rest on standard output.
  int ShowMessageBox(WindowHandle owner, const std::string& text, const std::string& caption,
                     unsigned style) override;

  // The progress dialog as one line on standard error, only while that is a terminal.
  void SetItemText(WindowHandle dialog, int id, const std::string& text) override;
  void ProgressSetRange(WindowHandle dialog, int id, std::uint32_t minimum,
                        std::uint32_t maximum) override;
  void ProgressSetPos(WindowHandle dialog, int id, std::uint32_t position) override;
  void ProgressDelta(WindowHandle dialog, int id, std::int32_t delta) override;
  void UpdateToolTip(WindowHandle, WindowHandle, int, const std::string&) override {}
  void CloseWindow(WindowHandle) override {}
  void PlaySystemSound(const std::string&) override {}

 private:
  void DrawProgress();
  void EndProgressLine() { line_.End(); }

  bool assumeYes_;
  bool interactive_;
  ProgressLine line_;
  std::string lastQuestion_;

  std::string status_;
  std::uint32_t maximum_ = 0;
  std::uint32_t position_ = 0;
  std::chrono::steady_clock::time_point started_;
};

// A choice among count things on the terminal (several join files): the index typed, or
// -1 for none and without a terminal.
int AskChoice(const std::string& question, int count);

}  // namespace parcelo
