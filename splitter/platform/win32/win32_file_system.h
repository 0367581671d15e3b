// The file table of the shipped program: straight onto the ANSI Win32 API, limited to what
// the Windows 95 family offers.
#pragma once

#include <string>
#include <vector>

#include "platform/system.h"

namespace parcelo {

class Win32FileSystem final : public FileSystem {
 public:
  FileHandle OpenForReading(const std::string& path, std::uint32_t* error) override;
  FileHandle CreateForWriting(const std::string& path, std::uint32_t* error) override;
  IoResult ReadFile(FileHandle file, void* buffer, std::uint32_t count) override;
  IoResult WriteFile(FileHandle file, const void* data, std::uint32_t count) override;
  void CloseFile(FileHandle file) override;
  FileHandle CreateNewFile(const std::string& path, std::uint32_t* error) override;
  bool RenameNoReplace(const std::string& from, const std::string& to,
                       std::uint32_t* error) override;
  bool FindFile(const std::string& path, FoundFile* found) override;
  bool RemoveFile(const std::string& path) override;
  bool IsSameFile(const std::string& a, const std::string& b) override;
  std::vector<std::string> FolderNames(const std::string& folder) override;
  // No Windows of the 95 family has links; later ones mark placeholders of cloud folders
  // as reparse points too, which are files to a program that reads them.
  std::vector<FolderEntry> ListFolder(const std::string& folder) override;
  bool NamesHaveCase() override { return false; }
  bool CanNameFile(const std::string& path) override;
  bool MakesShortNames() override { return false; }
  // A named mutex for the folder's short path and the name, both in capitals: it lives as
  // long as a handle to it, so a run that dies lets go of it.
  bool LockName(const std::string& folder, const std::string& name, NameLock* lock) override;
  void UnlockName(NameLock lock) override;
  bool ToOemText(const std::string& text, std::string* oem) override;
  std::string FromOemText(const std::string& oem) override;
  bool EqualIgnoringCase(const std::string& a, const std::string& b) override;

  DriveType DriveTypeOf(const std::string& root) override;
  std::uint64_t FreeBytes(const std::string& root) override;
  std::uint32_t ClusterBytes(const std::string& root) override;

  void* AllocateBuffer(std::uint32_t size) override;
  void FreeBuffer(void* buffer) override;
  // Windows 95 has no copy inside the kernel. With a tap (the command line's checksums), in
  // steps that stay in the processor's cache between the read, the tap and the writes;
  // without, one ReadFile and one WriteFile each.
  ChunkResult CopyChunk(FileHandle source, FileHandle piece, FileHandle backup, void* buffer,
                        std::uint32_t count, ChunkTap* tap) override;

 private:
  struct HeldLock {
    NameLock mutex;
    std::string name;
  };
  std::vector<HeldLock> locks_;
};

}  // namespace parcelo
