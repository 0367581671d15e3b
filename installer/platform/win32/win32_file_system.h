// The Win32 System's files, folders and disks.
#pragma once

#include "platform/system.h"

namespace qinstall {

class Win32FileSystem : public FileSystem {
 public:
  std::string WindowsFolder() override;
  FileHandle OpenExistingForReading(const std::string& path, std::uint32_t* error) override;
  FileHandle CreateForWriting(const std::string& path, std::uint32_t* error) override;
  FileHandle CreateTemporaryBeside(const std::string& path, std::string* temporary,
                                   std::uint32_t* error) override;
  IoResult ReadFile(FileHandle file, void* buffer, std::uint32_t count) override;
  IoResult WriteFile(FileHandle file, const void* data, std::uint32_t count) override;
  bool FlushFile(FileHandle file, std::uint32_t* error) override;
  void CloseFile(FileHandle file) override;
  bool PathExists(const std::string& path) override;
  bool IsFolder(const std::string& path) override;
  PathKind KindOfPath(const std::string& path, bool followLinks) override;
  bool IsSameFile(const std::string& first, const std::string& second) override;
  bool FileSize(const std::string& path, std::uint64_t* size) override;
  bool CreateFolder(const std::string& path, std::uint32_t* error) override;
  bool RemoveFolder(const std::string& path) override;
  bool CopyFileOver(const std::string& from, const std::string& to,
                    std::uint32_t* error) override;
  bool RemoveFile(const std::string& path, std::uint32_t* error) override;
  bool RenameFile(const std::string& from, const std::string& to,
                  std::uint32_t* error) override;
  bool MoveOver(const std::string& from, const std::string& to, std::uint32_t* error) override;
  bool IsReadOnly(const std::string& path) override;
  void* AllocateMemory(std::size_t bytes) override;
};

}  // namespace qinstall
