// The splitter's System on POSIX: real files behind a DOS drive table, like Wine's.
// Removable drives may carry a simulated capacity so that spanning works on any folder.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>

#include "platform/system.h"

namespace parcelo {

class PosixSystem : public System {
 public:
  // capacity 0: the drive reports the host file system's free space.
  void MapDrive(char letter, const std::string& hostFolder, DriveType type,
                std::uint64_t capacity = 0);

  // The host path of a DOS path. Existing components match without case and by their
  // alias; the others are taken as written. False for an unmapped drive.
  bool ToHostPath(const std::string& dosPath, std::string* hostPath) const;

  // "Insert another disk": moves everything the drive holds into archiveFolder.
  bool ChangeDisk(char letter, const std::string& archiveFolder);

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

  // There are no windows here: a front end or test wraps this System for those.
  int ShowMessageBox(WindowHandle owner, const std::string& text, const std::string& caption,
                     unsigned style) override;
  void SetItemText(WindowHandle, int, const std::string&) override {}
  void ProgressSetRange(WindowHandle, int, std::uint32_t, std::uint32_t) override {}
  void ProgressSetPos(WindowHandle, int, std::uint32_t) override {}
  void ProgressDelta(WindowHandle, int, std::int32_t) override {}
  void UpdateToolTip(WindowHandle, WindowHandle, int, const std::string&) override {}
  void CloseWindow(WindowHandle) override {}
  void PlaySystemSound(const std::string&) override {}

 private:
  struct Drive {
    std::string hostFolder;
    DriveType type = DriveType::Fixed;
    std::uint64_t capacity = 0;
  };

  const Drive* DriveOf(const std::string& dosPath) const;
  std::uint64_t UsedBytes(const Drive& drive) const;

  std::map<char, Drive> drives_;
  mutable std::mutex mutex_;
  std::map<FileHandle, char> writeDrives_;  // open files on drives with a capacity
};

}  // namespace parcelo
