// The installer's one window onto the operating system. Portable code never includes
// <windows.h>; it asks the installed System instead. Values and codes mirror Win32 so the
// Win32 System can pass them straight through.
// Method names avoid the Win32 A/W macros (MessageBox).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace qinstall {

using FileHandle = std::intptr_t;
constexpr FileHandle kInvalidFile = -1;

using WindowHandle = void*;

// MessageBoxA styles and answers.
constexpr unsigned kMbOk = 0x0;
constexpr unsigned kMbIconError = 0x10;
constexpr int kIdOk = 1;

// Result of one read call. bytes < count with ok set means the file ended.
struct IoResult {
  bool ok = false;
  std::uint32_t bytes = 0;
  std::uint32_t error = 0;
};

class System {
 public:
  virtual ~System() = default;

  // GENERIC_READ with no sharing, OPEN_EXISTING, sequential scan.
  virtual FileHandle OpenExistingForReading(const std::string& path, std::uint32_t* error) = 0;
  virtual IoResult ReadFile(FileHandle file, void* buffer, std::uint32_t count) = 0;
  virtual void CloseFile(FileHandle file) = 0;

  // Memory that std::free releases, or nullptr when it cannot be had. Lists are released
  // with std::free directly, so they may outlive the installed System at exit.
  virtual void* AllocateMemory(std::size_t bytes) = 0;

  virtual int ShowMessageBox(WindowHandle owner, const std::string& text,
                             const std::string& caption, unsigned style) = 0;
};

// The System the logic uses; installed once at entry (and by each test).
System& Sys();
void InstallSystem(System* system);

// The real System of this platform, made on first use.
System& PlatformSystem();

}  // namespace qinstall
