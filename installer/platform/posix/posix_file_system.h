// The installer's files on POSIX: real files behind a DOS drive table, like Wine's ("C:"
// names a host folder, backslashes separate).
#pragma once

#include <map>
#include <mutex>
#include <string>

#include "platform/system.h"

namespace qinstall {

class PosixFileSystem : public FileSystem {
 public:
  // Maps a drive letter to a host folder; an empty folder unmaps it.
  void MapDrive(char letter, const std::string& hostFolder);
  // The host folder that relative paths start from; empty: the process's own.
  void SetCurrentFolder(const std::string& hostFolder);
  // Forgets the drives and the current folder (tests).
  void Reset();

  // The host path of a path the logic uses: "X:\..." through the drive table, a path that
  // begins with "/" as it is, any other relative to the current folder. False for an
  // unmapped drive or an empty path.
  bool ToHostPath(const std::string& path, std::string* hostPath) const;

  std::string WindowsFolder() override { return "C:\\WINDOWS"; }
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
  // The DOS read-only mark as Wine shows it: no one may write the file or folder.
  bool IsReadOnly(const std::string& path) override;
  void* AllocateMemory(std::size_t bytes) override;

 private:
  mutable std::mutex mutex_;
  std::map<char, std::string> drives_;
  std::string currentFolder_;
};

// The host's words for an error code this System reported: those of the errno it stands for.
std::string HostErrorText(std::uint32_t code);

// The one POSIX file system, which PlatformSystem() also gives.
PosixFileSystem& HostFiles();

}  // namespace qinstall
