#include "cli/console_system.h"

#include <cstdio>
#include <iostream>
#include <string>

#include "cli/host.h"

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

}  // namespace

ConsoleSystem::ConsoleSystem(WindowSystem& platform, bool assumeYes)
    : ForwardingWindowSystem(platform), assumeYes_(assumeYes), interactive_(StdinIsTerminal()) {}

int ConsoleSystem::ShowMessageBox(WindowHandle, const std::string& text, const std::string&,
                                  unsigned style) {
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

}  // namespace parcelo
