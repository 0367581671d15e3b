#include "cli/console_system.h"

#include <cstdio>
#include <iostream>
#include <string>

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

}  // namespace

ConsoleSystem::ConsoleSystem(System* platform, bool assumeYes)
    : ForwardingSystem(platform),
      assumeYes_(assumeYes),
      interactive_(StdinIsTerminal()),
      showProgress_(StderrIsTerminal()),
      started_(std::chrono::steady_clock::now()) {}

int ConsoleSystem::ShowMessageBox(WindowHandle, const std::string& text, const std::string&,
                                  unsigned style) {
  EndProgressLine();
  const bool isError = (style & 0xF0) == kMbIconError;
  std::FILE* out = isError ? stderr : stdout;
  std::fprintf(out, "%s\n", text.c_str());
  std::fflush(out);
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
  if (!showProgress_ || dialog != progressDialog || dialog == nullptr) return;
  if (id == kIdProgressCaption) {
    EndProgressLine();
    std::fprintf(stderr, "%s\n", text.c_str());
  } else if (id == kIdProgressStatus) {
    status_ = text;
    DrawProgress(true);
  }
}

void ConsoleSystem::ProgressSetRange(WindowHandle, int, std::uint32_t, std::uint32_t maximum) {
  maximum_ = maximum;
}

void ConsoleSystem::ProgressSetPos(WindowHandle, int, std::uint32_t position) {
  position_ = position;
  DrawProgress(false);
}

void ConsoleSystem::ProgressDelta(WindowHandle, int, std::int32_t delta) {
  position_ += static_cast<std::uint32_t>(delta);
  DrawProgress(false);
}

void ConsoleSystem::DrawProgress(bool force) {
  if (!showProgress_) return;
  const auto now = std::chrono::steady_clock::now();
  if (!force && now - drawn_ < std::chrono::milliseconds(100)) return;
  drawn_ = now;
  // The bar clamps as the dialog's control does.
  const std::uint32_t shown = maximum_ == 0 ? 0 : (position_ > maximum_ ? maximum_ : position_);
  const int percent = maximum_ == 0 ? 0 : static_cast<int>(100ull * shown / maximum_);
  const int filled = percent * kBarWidth / 100;
  const double seconds = std::chrono::duration<double>(now - started_).count();
  const double rate = seconds > 0 ? splitJob.totalBytesWritten / seconds : 0;
  std::fprintf(stderr, "\r\033[K%s [%s%s] %3d%% %.1f MB/s", status_.c_str(),
               std::string(filled, '#').c_str(), std::string(kBarWidth - filled, '.').c_str(),
               percent, rate / 1048576.0);
  std::fflush(stderr);
  lineOpen_ = true;
}

void ConsoleSystem::EndProgressLine() {
  if (!lineOpen_) return;
  std::fputc('\n', stderr);
  lineOpen_ = false;
}

}  // namespace parcelo
