// The System of the shipped program: straight onto the ANSI Win32 API, limited to what
// the Windows 95 family offers.
#pragma once

#include "platform/system.h"

namespace parcelo {

class Win32System final : public System {
 public:
  Win32System();
  ~Win32System() override;
  Win32System(const Win32System&) = delete;
  Win32System& operator=(const Win32System&) = delete;

  FileHandle OpenForReading(const std::string& path, std::uint32_t* error) override;
  FileHandle CreateForWriting(const std::string& path, std::uint32_t* error) override;
  IoResult ReadFile(FileHandle file, void* buffer, std::uint32_t count) override;
  IoResult WriteFile(FileHandle file, const void* data, std::uint32_t count) override;
  void CloseFile(FileHandle file) override;
  bool FindFile(const std::string& path, FoundFile* found) override;
  bool RemoveFile(const std::string& path) override;
  bool IsSameFile(const std::string& a, const std::string& b) override;

  DriveType DriveTypeOf(const std::string& root) override;
  std::uint64_t FreeBytes(const std::string& root) override;

  void* AllocateBuffer(std::uint32_t size) override;
  void FreeBuffer(void* buffer) override;

  int ShowMessageBox(WindowHandle owner, const std::string& text, const std::string& caption,
                     unsigned style) override;
  void SetItemText(WindowHandle dialog, int id, const std::string& text) override;
  // The Win95 progress bar only counts to 65535; larger ranges are scaled down here.
  void ProgressSetRange(WindowHandle dialog, int id, std::uint32_t minimum,
                        std::uint32_t maximum) override;
  void ProgressSetPos(WindowHandle dialog, int id, std::uint32_t position) override;
  void ProgressDelta(WindowHandle dialog, int id, std::int32_t delta) override;
  void UpdateToolTip(WindowHandle toolTip, WindowHandle dialog, int id,
                     const std::string& text) override;
  void CloseWindow(WindowHandle window) override;
  void PlaySystemSound(const std::string& alias) override;

 private:
  // Kept out of the header so that only the .cpp sees <windows.h>.
  struct ProgressBars;
  ProgressBars* progress_;
};

}  // namespace parcelo
