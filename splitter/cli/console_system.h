// Message boxes on a terminal, for the command-line splitter.
#pragma once

#include <string>

#include "platform/forwarding_system.h"

namespace parcelo {

class ConsoleSystem final : public ForwardingWindowSystem {
 public:
  // assumeYes answers each question with OK, Yes or Retry; the same question asked again
  // straight away gets the cautious answer, so that no retry loop runs for ever.
  ConsoleSystem(WindowSystem& platform, bool assumeYes);

  // Texts alone: errors on standard error, the rest on standard output.
  int ShowMessageBox(WindowHandle owner, const std::string& text, const std::string& caption,
                     unsigned style) override;

 private:
  bool assumeYes_;
  bool interactive_;
  std::string lastQuestion_;
};

// A choice among count things on the terminal (several join files): the index typed, or
// -1 for none and without a terminal.
int AskChoice(const std::string& question, int count);

}  // namespace parcelo
