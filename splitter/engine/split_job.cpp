#include "engine/split_job.h"

#include "engine/split_progress.h"

namespace parcelo {

SplitJob splitJob;
SplitProgress* splitProgress = nullptr;

void ResetSplitJob() {
  SplitJob& job = splitJob;
  job.sourcePath.clear();
  job.sourceStream = kInvalidFile;
  job.destinationPath.clear();
  job.sourceSize = job.pieceSize = job.pieceCount = 0;
  job.spanToDisk = job.backupEnabled = 0;
  job.backupFolder.clear();
  job.bufferSize = job.chunkSize = 0;
  job.buffer = nullptr;
  job.shortName.clear();
  job.longName.clear();
  job.pieceBaseName.clear();
  job.joinFileName.clear();
  job.checksums = nullptr;
  job.staleJoinFiles.clear();
  job.nameLocks.clear();
  job.createRefusal.clear();
  job.pieceIndex = 0;
  job.pieceBytesWritten = job.totalBytesRead = job.totalBytesWritten = 0;
  job.sourceFile = job.pieceFile = job.backupFile = kInvalidFile;
  job.running = 0;
  job.cancelRequested = 0;
  job.finishing = 0;
}

}  // namespace parcelo
