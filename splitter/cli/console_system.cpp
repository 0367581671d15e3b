#include "cli/console_system.h"

#include <cstdio>
#include <iostream>
#include <string>
#include <utility>

#include "cli/host.h"
#include "engine/split_job.h"
#include "engine/split_messages.h"

namespace parcelo {
namespace {

struct Choice {
  int yes;
  int no;
  const char* prompt;
  const char* noName;
};

Choice ChoiceFor(unsigned style) {
  switch (style & 0xF) {
    case kMbOkCancel: return {kIdOk, kIdCancel, "[O]K / [C]ancel", "Cancel"};
    case kMbYesNo: return {kIdYes, kIdNo, "[Y]es / [N]o", "No"};
    case kMbRetryCancel: return {kIdRetry, kIdCancel, "[R]etry / [C]ancel", "Cancel"};
    default: return {kIdOk, kIdOk, nullptr, nullptr};
  }
}

constexpr int kBarWidth = 30;

ProgressLine StderrProgressLine() {
  std::size_t columns = 0;
  const LineStyle style = StderrLineStyle(&columns);
  return ProgressLine([](const std::string& text) { WriteWhole(stderr, text); }, style, columns);
}

}  // namespace

ConsoleSystem::ConsoleSystem(System* platform, bool assumeYes)
    : ConsoleSystem(platform, assumeYes, StderrProgressLine()) {}

ConsoleSystem::ConsoleSystem(System* platform, bool assumeYes, ProgressLine line)
    : ForwardingSystem(platform),
      assumeYes_(assumeYes),
      interactive_(StdinIsTerminal()),
      line_(std::move(line)),
      started_(std::chrono::steady_clock::now()) {}

int ConsoleSystem::ShowMessageBox(WindowHandle, const std::string& text, const std::string&,
                                  unsigned style) {
  EndProgressLine();
  const bool isError = (style & 0xF0) == kMbIconError;
  std::FILE* out = isError ? stderr : stdout;
  WriteWhole(out, text + "\n");
  const Choice choice = ChoiceFor(style);
  if (choice.prompt == nullptr) {
    lastQuestion_.clear();
    return choice.yes;
  }
  const bool repeated = text == lastQuestion_;
  lastQuestion_ = text;
  if (assumeYes_) {
    if (!repeated) return choice.yes;
    std::fprintf(stderr, "(asked again: answered %s)\n", choice.noName);
    return choice.no;
  }
  if (!interactive_) {
    std::fprintf(stderr, "(no terminal to ask: answered %s)\n", choice.noName);
    return choice.no;
  }
  for (;;) {
    std::fprintf(stdout, "%s? ", choice.prompt);
    std::fflush(stdout);
    std::string answer;
    if (!std::getline(std::cin, answer)) return choice.no;
    const char first = answer.empty() ? '\0' : static_cast<char>(answer[0] | 0x20);
    if (first == 'o' || first == 'y' || first == 'r') return choice.yes;
    if (first == 'c' || first == 'n') return choice.no;
  }
}

int AskChoice(const std::string& question, int count) {
  std::fprintf(stdout, "%s\n", question.c_str());
  if (!StdinIsTerminal()) {
    std::fprintf(stderr, "(no terminal to ask: answered Cancel)\n");
    return -1;
  }
  for (;;) {
    std::fprintf(stdout, "Number (1-%d, empty to cancel)? ", count);
    std::fflush(stdout);
    std::string answer;
    if (!std::getline(std::cin, answer) || answer.empty()) return -1;
    const int number = std::atoi(answer.c_str());
    if (number >= 1 && number <= count) return number - 1;
  }
}

void ConsoleSystem::SetItemText(WindowHandle dialog, int id, const std::string& text) {
  if (!line_.Enabled() || dialog != progressDialog || dialog == nullptr) return;
  if (id == kIdProgressCaption) {
    line_.WriteLine(text);
  } else if (id == kIdProgressStatus) {
    status_ = text;
    DrawProgress();
  }
}

void ConsoleSystem::ProgressSetRange(WindowHandle, int, std::uint32_t, std::uint32_t maximum) {
  maximum_ = maximum;
}

void ConsoleSystem::ProgressSetPos(WindowHandle, int, std::uint32_t position) {
  position_ = position;
  DrawProgress();
}

void ConsoleSystem::ProgressDelta(WindowHandle, int, std::int32_t delta) {
  position_ += static_cast<std::uint32_t>(delta);
  DrawProgress();
}

void ConsoleSystem::DrawProgress() {
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
