#include "platform/posix/posix_window_system.h"

#include <cstdio>

namespace parcelo {

int PosixWindowSystem::ShowMessageBox(WindowHandle, const std::string& text,
                                      const std::string& caption, unsigned style) {
  std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
  const unsigned buttons = style & 0xF;
  if (buttons == kMbOk) return kIdOk;
  return buttons == kMbYesNo ? kIdNo : kIdCancel;
}

}  // namespace parcelo
