// A System for tests: real files through the platform System, a record of every message
// box, a count of open files, and injected faults (the nth read call or allocation fails).
#pragma once

#include <string>
#include <vector>

#include "platform/system.h"

namespace qinstall {

struct Box {
  WindowHandle owner;
  std::string text;
  std::string caption;
  unsigned style;
};

class TestSystem : public System {
 public:
  TestSystem() { InstallSystem(this); }
  ~TestSystem() override { InstallSystem(&PlatformSystem()); }

  FileHandle OpenExistingForReading(const std::string& path, std::uint32_t* error) override;
  IoResult ReadFile(FileHandle file, void* buffer, std::uint32_t count) override;
  void CloseFile(FileHandle file) override;
  void* AllocateMemory(std::size_t bytes) override;
  int ShowMessageBox(WindowHandle owner, const std::string& text, const std::string& caption,
                     unsigned style) override;

  int failReadCall = 0;       // from 1; 0 never
  int failAllocation = 0;     // from 1; 0 never
  int readCalls = 0;
  int allocations = 0;
  int openFiles = 0;
  std::vector<Box> boxes;
};

// A fresh folder below the system's temporary folder, removed with everything in it.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  const std::string& path() const { return path_; }
  std::string Write(const std::string& name, const std::string& bytes) const;

 private:
  std::string path_;
};

std::string ReadFileBytes(const std::string& path);

}  // namespace qinstall
