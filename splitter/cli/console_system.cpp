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
};

Choice ChoiceFor(unsigned style) {
  switch (style & 0xF) {
    case kMbOkCancel: return {kIdOk, kIdCancel, "[O]K / [C]ancel"};
    case kMbYesNo: return {kIdYes, kIdNo, "[Y]es / [N]o"};
    case kMbRetryCancel: return {kIdRetry, kIdCancel, "[R]etry / [C]ancel"};
    default: return {kIdOk, kIdOk, nullptr};
  }
}

}  // namespace

ConsoleSystem::ConsoleSystem(System* platform, bool assumeYes)
    : ForwardingSystem(platform), assumeYes_(assumeYes), interactive_(StdinIsTerminal()) {}

int ConsoleSystem::ShowMessageBox(WindowHandle, const std::string& text,
                                  const std::string& caption, unsigned style) {
  const bool isError = (style & 0xF0) == kMbIconError;
  std::FILE* out = isError ? stderr : stdout;
  std::fprintf(out, "%s: %s\n", caption.c_str(), text.c_str());
  const Choice choice = ChoiceFor(style);
  if (choice.prompt == nullptr) return choice.yes;
  if (assumeYes_) return choice.yes;
  if (!interactive_) {
    std::fprintf(stderr, "(no terminal to ask: answered %s)\n",
                 choice.no == kIdNo ? "No" : "Cancel");
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

void ConsoleSystem::SetItemText(WindowHandle, int id, const std::string& text) {
  if (StderrIsTerminal()) std::fprintf(stderr, "%s\n", text.c_str());
}

}  // namespace parcelo
