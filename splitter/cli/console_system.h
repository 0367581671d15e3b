// Message boxes and the progress dialog on a terminal, for the command-line splitter.
#pragma once

#include "platform/system.h"

namespace parcelo {

class ConsoleSystem : public ForwardingSystem {
 public:
  // assumeYes answers every question with OK, Yes or Retry.
  ConsoleSystem(System* platform, bool assumeYes);

  int ShowMessageBox(WindowHandle owner, const std::string& text, const std::string& caption,
                     unsigned style) override;
  void SetItemText(WindowHandle dialog, int id, const std::string& text) override;
  void ProgressSetRange(WindowHandle, int, std::uint32_t, std::uint32_t) override {}
  void ProgressSetPos(WindowHandle, int, std::uint32_t) override {}
  void ProgressDelta(WindowHandle, int, std::int32_t) override {}
  void UpdateToolTip(WindowHandle, WindowHandle, int, const std::string&) override {}
  void CloseWindow(WindowHandle) override {}
  void PlaySystemSound(const std::string&) override {}

 private:
  bool assumeYes_;
  bool interactive_;
};

}  // namespace parcelo
