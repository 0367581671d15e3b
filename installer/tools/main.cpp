// qsdtool: writes and inspects the installer's data files from a shell.
#include <iostream>
#include <string>
#include <vector>

#include "platform/system.h"
#include "tools/qsdtool.h"

namespace {

// The installer's message boxes become lines on the error stream.
class ConsoleSystem : public qinstall::System {
 public:
  qinstall::FileHandle OpenExistingForReading(const std::string& path,
                                              std::uint32_t* error) override {
    return inner_.OpenExistingForReading(path, error);
  }
  qinstall::IoResult ReadFile(qinstall::FileHandle file, void* buffer,
                              std::uint32_t count) override {
    return inner_.ReadFile(file, buffer, count);
  }
  void CloseFile(qinstall::FileHandle file) override { inner_.CloseFile(file); }
  void* AllocateMemory(std::size_t bytes) override { return inner_.AllocateMemory(bytes); }
  int ShowMessageBox(qinstall::WindowHandle, const std::string& text, const std::string& caption,
                     unsigned) override {
    std::cerr << caption << ": " << text << '\n';
    return qinstall::kIdOk;
  }

 private:
  qinstall::System& inner_ = qinstall::PlatformSystem();
};

}  // namespace

int main(int argc, char** argv) {
  static ConsoleSystem system;
  qinstall::InstallSystem(&system);
  return qinstall::RunQsdtool(std::vector<std::string>(argv + 1, argv + argc), std::cout,
                              std::cerr);
}
