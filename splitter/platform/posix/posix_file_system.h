// The splitter's file table on POSIX: real files behind a DOS drive table, like Wine's.
// Removable drives may carry a simulated capacity so that spanning works on any folder.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/posix/folder_listing.h"
#include "platform/posix/oem_code_page.h"
#include "platform/posix/resolved_folders.h"
#include "platform/system.h"

namespace parcelo {

class PosixFileSystem final : public FileSystem {
 public:
  PosixFileSystem() = default;
  ~PosixFileSystem() override;
  PosixFileSystem(const PosixFileSystem&) = delete;
  PosixFileSystem& operator=(const PosixFileSystem&) = delete;

  // capacity 0: the drive reports the host file system's free space.
  void MapDrive(char letter, const std::string& hostFolder, DriveType type,
                std::uint64_t capacity = 0);

  // The host path of a DOS path. Existing components match without case and by their
  // alias; the others are taken as written. False for an unmapped drive.
  bool ToHostPath(const std::string& dosPath, std::string* hostPath) const;

  // Off: no name has an alias, as on a volume with short names turned off, and the
  // engine writes long names into the join file.
  void SetShortNames(bool on) {
    shortNames_ = on;
    folders_.Clear();
  }

  // The OEM code page of the join file and of the aliases (437 unless set).
  void SetOemCodePage(const OemCodePage& page) {
    codePage_ = page;
    folders_.Clear();
  }
  const OemCodePage& oemCodePage() const { return codePage_; }

  // "Insert another disk": moves everything the drive holds into archiveFolder.
  bool ChangeDisk(char letter, const std::string& archiveFolder);

  FileHandle OpenForReading(const std::string& path, std::uint32_t* error) override;
  FileHandle CreateForWriting(const std::string& path, std::uint32_t* error) override;
  IoResult ReadFile(FileHandle file, void* buffer, std::uint32_t count) override;
  IoResult WriteFile(FileHandle file, const void* data, std::uint32_t count) override;
  void CloseFile(FileHandle file) override;
  // Inside the kernel (copy_file_range) where it can, through the buffer in steps with a
  // tap; see chunk_copy.cpp.
  ChunkResult CopyChunk(FileHandle source, FileHandle piece, FileHandle backup, void* buffer,
                        std::uint32_t count, ChunkTap* tap) override;
  FileHandle CreateNewFile(const std::string& path, std::uint32_t* error) override;
  bool RenameNoReplace(const std::string& from, const std::string& to,
                       std::uint32_t* error) override;
  bool FindFile(const std::string& path, FoundFile* found) override;
  bool RemoveFile(const std::string& path) override;
  bool IsSameFile(const std::string& a, const std::string& b) override;
  std::vector<std::string> FolderNames(const std::string& folder) override;
  std::vector<FolderEntry> ListFolder(const std::string& folder) override;
  bool NamesHaveCase() override { return true; }
  bool CanNameFile(const std::string& path) override;
  bool MakesShortNames() override { return shortNames_; }
  // A file in /tmp named after the folder's device and inode and the name in capitals,
  // held with flock: every user's runs meet there, and the kernel lets go of it when a
  // run dies.
  bool LockName(const std::string& folder, const std::string& name, NameLock* lock) override;
  void UnlockName(NameLock lock) override;
  bool ToOemText(const std::string& text, std::string* oem) override {
    return codePage_.ToOem(text, oem);
  }
  std::string FromOemText(const std::string& oem) override { return codePage_.FromOem(oem); }
  // By the code page's capitals, as a FAT volume of that page compares names.
  bool EqualIgnoringCase(const std::string& a, const std::string& b) override;
  DriveType DriveTypeOf(const std::string& root) override;
  std::uint64_t FreeBytes(const std::string& root) override;
  std::uint32_t ClusterBytes(const std::string& root) override;
  void* AllocateBuffer(std::uint32_t size) override;
  void FreeBuffer(void* buffer) override;

 private:
  // What one lookup of a DOS path saw on the host, so that its callers need not ask again.
  struct HostEntry {
    enum class State {
      Unknown,  // found by case or alias, or the host would not tell
      Missing,  // nothing of that name in any case or alias
      Exact,    // there as written; info is its lstat
    };
    std::string path;
    std::string folder;        // the host folder that holds it
    struct stat folderInfo {};  // that folder's stat from this lookup, when folderSeen
    bool folderSeen = false;
    State state = State::Unknown;
    struct stat info {};
  };
  bool Resolve(const std::string& dosPath, HostEntry* entry) const;
  // The host folder that the DOS components name, walked or kept from an earlier walk.
  std::string ResolveFolder(const std::string& drivePart, const std::string& hostRoot,
                            const std::vector<std::string>& parts, HostEntry* entry) const;
  // What a lookup of path saw, or stat's answer for it; false when it is not there.
  bool StatOf(const std::string& dosPath, struct stat* info) const;

  ChunkResult CopyChunkInSteps(FileHandle source, FileHandle piece, FileHandle backup,
                               void* buffer, std::uint32_t count, ChunkTap* tap);

  struct Drive {
    std::string hostFolder;
    DriveType type = DriveType::Fixed;
    std::uint64_t capacity = 0;
  };

  const Drive* DriveOf(const std::string& dosPath) const;
  bool HasSimulatedCapacity(FileHandle file) const;
  std::uint64_t UsedBytes(const Drive& drive) const;

  std::map<char, Drive> drives_;
  mutable std::mutex mutex_;
  std::map<FileHandle, char> writeDrives_;  // open files on drives with a capacity
  bool shortNames_ = true;
  OemCodePage codePage_;
  mutable FolderListings listings_;
  mutable ResolvedFolders folders_;
  struct HeldLock {
    int fd;
    std::string path;
  };
  std::map<NameLock, HeldLock> locks_;
  NameLock nextLock_ = 1;
};

}  // namespace parcelo
