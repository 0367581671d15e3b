// qsdtool: writes and inspects the installer's data files from a shell.
#include <iostream>
#include <string>
#include <vector>

#include "platform/forwarding_system.h"
#include "tools/qsdtool.h"

namespace {

// The installer's message boxes become lines on the error stream.
class ConsoleWindowSystem : public qinstall::ForwardingWindowSystem {
 public:
  ConsoleWindowSystem() : ForwardingWindowSystem(*qinstall::PlatformSystem().windows) {}
  int ShowMessageBox(qinstall::WindowHandle, const std::string& text, const std::string& caption,
                     unsigned) override {
    std::cerr << caption << ": " << text << '\n';
    return qinstall::kIdOk;
  }
};

}  // namespace

int main(int argc, char** argv) {
  static ConsoleWindowSystem windows;
  qinstall::System system = qinstall::PlatformSystem();
  system.windows = &windows;
  qinstall::InstallSystem(system);
  return qinstall::RunQsdtool(std::vector<std::string>(argv + 1, argv + argc), std::cout,
                              std::cerr);
}
