// The state of one split run: the request the main dialog commits, then the worker's
// counters and open files. One instance, process-wide.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/system.h"

namespace parcelo {

class SplitChecksums;

constexpr std::uint64_t kUnknownWriteTime = ~std::uint64_t{0};

struct SplitJob {
  std::string sourcePath;
  // The command line's pipe ("-"), read to its end in place of a file; kInvalidFile for a
  // file. Its size is known only at its end; sourcePath is then empty, longName is given and
  // shortName holds, until the run is prepared, the 8.3 name a file of longName would have
  // in the destination (empty when it needs none).
  FileHandle sourceStream = kInvalidFile;
  std::string destinationPath;  // a drive root such as A:\ when spanning
  // 64 bits: the command line splits sources of any size; Parcelo95.exe refuses 4 GB.
  std::uint64_t sourceSize = 0;
  // The source's time of last write when the run was prepared (kUnknownWriteTime when it
  // could not be looked up): a source that changes while it is split is not what its
  // pieces hold.
  std::uint64_t sourceWriteTime = 0;
  std::uint32_t pieceSize = 0;
  std::uint32_t pieceCount = 0;
  int spanToDisk = 0;
  int backupEnabled = 0;
  std::string backupFolder;

  std::uint32_t bufferSize = 0;
  std::uint32_t chunkSize = 0;
  unsigned char* buffer = nullptr;

  std::string shortName;
  std::string longName;
  std::string pieceBaseName;
  // Join.bat, Join-<longName>.bat or, where that cannot be a file name, Join-<shortName>.bat.
  std::string joinFileName;

  // Join files of this source that name the pieces it writes, as folder and path: each is
  // removed before the first piece overwrites one in its folder, so that a run that fails
  // part way leaves no join file that rebuilds a mix.
  std::vector<std::pair<std::string, std::string>> staleJoinFiles;
  // Held from the preparation until the join file is written or the run ends.
  std::vector<NameLock> nameLocks;
  // Why CreateOutputFile refused its last file without trying; empty when it did not.
  std::string createRefusal;
  // The command line's checksum file; nullptr in the Windows program.
  SplitChecksums* checksums = nullptr;

  std::int32_t pieceIndex = 0;
  std::uint32_t pieceBytesWritten = 0;
  std::uint64_t totalBytesRead = 0;
  std::uint64_t totalBytesWritten = 0;

  FileHandle sourceFile = kInvalidFile;
  FileHandle pieceFile = kInvalidFile;
  FileHandle backupFile = kInvalidFile;

  // Read by the UI thread while the worker runs; the only values the two threads share.
  std::atomic<int> running{0};
  std::atomic<int> cancelRequested{0};
  std::atomic<int> finishing{0};  // the worker is asking its end-of-run questions
};

extern SplitJob splitJob;

// Back to the initial, empty request.
void ResetSplitJob();

}  // namespace parcelo
