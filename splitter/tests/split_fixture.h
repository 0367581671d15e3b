// Each test gets fresh folders for drive C: (fixed) and A: (a removable disk with a
// capacity), the POSIX System wrapped by the TestSystem, and clean process-wide state.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/posix/posix_file_system.h"
#include "test_system.h"

namespace parcelo {

class SplitFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Host path under the C: or A: folder, e.g. Host('C', "Out/X.000").
  std::string Host(char drive, const std::string& relative) const;
  void WriteHostFile(const std::string& hostPath, const std::string& bytes) const;
  std::string ReadHostFile(const std::string& hostPath) const;
  std::vector<std::string> List(const std::string& hostFolder) const;
  void MakeFolder(const std::string& hostFolder) const;

  // A source of size bytes with a recognisable pattern at C:\Data\<name>.
  std::string MakeSource(const std::string& name, std::uint32_t size);

  // Fills the request for a sized split of C:\Data\<name> into C:\Out.
  void RequestSized(const std::string& name, std::uint32_t pieceSize);
  // A fresh job: BIG.DAT of 2500 bytes in pieces of 1000 into an emptied C:\Out, with
  // backups into an emptied C:\Backup.
  void RequestSizedWithBackups();
  // Fills the request for spanning C:\Data\<name> onto A:\.
  void RequestSpanned(const std::string& name);

  // PrepareSplitRun and, when it lets the worker start, SplitWorker.
  int Run();

  // Answers every "Insert disk" with a new disk, keeping the old ones under disks/N.
  void SwapDisksOnPrompt();
  std::string DiskFolder(int n) const;  // disk n from 1, after the run
  void ResizeFloppy(std::uint64_t capacity);

  // Concatenation of the files in hostFolder whose names are base.NNN, in piece order.
  std::string JoinPieces(const std::vector<std::string>& folders, const std::string& base) const;

  std::string root_;
  PosixFileSystem posix_;
  TestSystem* sys_ = nullptr;
  std::string sourceBytes_;
  int disksInserted_ = 0;
};

}  // namespace parcelo
