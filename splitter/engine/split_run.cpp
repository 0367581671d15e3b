#include "engine/split_run.h"

#include "engine/app_settings.h"
#include "engine/destination_claim.h"
#include "engine/join_batch.h"
#include "engine/piece_name.h"
#include "engine/split_job.h"
#include "engine/split_messages.h"
#include "engine/split_progress.h"
#include "engine/text_format.h"
#include "platform/system.h"

namespace parcelo {
namespace {

void ReportError(const char* text) {
  splitProgress->Ask(text, kCaptionError, kMbIconError);
}

}  // namespace

std::string DriveRoot(const std::string& path) {
  return std::string(1, path.empty() ? 'C' : path[0]) + ":\\";
}

std::uint32_t MeasureFreeBytes(const std::string& root) {
  const std::uint64_t free = Files().FreeBytes(root);
  return free > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<std::uint32_t>(free);
}

int PrepareSplitRun() {
  SplitJob& job = splitJob;
  job.cancelRequested = 0;
  job.finishing = 0;
  job.bufferSize = appSettings.moreMem ? kBufferMoreMem : kBufferNormal;
  if (job.spanToDisk) job.bufferSize = kBufferSpanned;

  FoundFile found;
  job.sourceWriteTime = kUnknownWriteTime;
  bool known = true;
  if (job.sourceStream != kInvalidFile) {
    // Named as a file of its name in the destination would be: nothing to look up.
    found.name = job.longName;
    found.alternateName = job.shortName;
  } else {
    job.longName = LastComponent(job.sourcePath);
    known = Files().FindFile(job.sourcePath, &found);
    if (known) job.sourceWriteTime = found.lastWriteTime;
  }
  bool shortNameIsMadeUp = false;
  if (known) {
    job.shortName = JoinShortName(found.alternateName, found.name, job.pieceCount);
    shortNameIsMadeUp =
        found.alternateName.empty() ? job.shortName != found.name : Files().MakesShortNames();
  } else {
    job.shortName = job.longName;  // the worker's open reports the missing source
  }
  const std::size_t dot = job.shortName.rfind('.');
  job.pieceBaseName =
      dot != std::string::npos && dot > 0 ? job.shortName.substr(0, dot) : job.shortName;

  // Before anything is written, and before the first question, so that a second run into
  // the same names fails at once.
  if (!ClaimDestination(shortNameIsMadeUp)) return EndSplitRun(false);

  if (job.spanToDisk) {
    splitProgress->ShowCaption(Format(kTextSpanning, job.longName.c_str()));
  } else if (job.sourceStream != kInvalidFile) {
    splitProgress->ShowCaption(Format(kTextSplittingStream, job.longName.c_str()));
  } else {
    splitProgress->ShowCaption(
        Format(kTextSplittingInto, job.longName.c_str(), static_cast<int>(job.pieceCount)));
  }
  splitProgress->ShowStatus(kTextInitializing);
  splitProgress->SetPosition(0);

  if (job.spanToDisk) {
    const std::string root = DriveRoot(job.destinationPath);
    std::uint32_t free = MeasureFreeBytes(root);
    while (free < kMinFreeForPiece) {
      if (splitProgress->Ask(kTextNeed2KB, kProductTitle, kMbOkCancel | kMbIconError) != kIdOk) {
        return EndSplitRun(false);
      }
      free = MeasureFreeBytes(root);
    }
    job.chunkSize = free < job.bufferSize ? free : job.bufferSize;
  } else {
    if (job.pieceSize == 0) {  // would never finish a piece
      ReportError(kTextSplitSizeZero);
      return EndSplitRun(false);
    }
    job.chunkSize = job.pieceSize < job.bufferSize ? job.pieceSize : job.bufferSize;
  }

  const std::uint64_t steps = job.sourceSize / job.chunkSize + 1;
  splitProgress->SetRange(steps > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<std::uint32_t>(steps));

  job.buffer = static_cast<unsigned char*>(Files().AllocateBuffer(job.chunkSize));
  if (job.buffer == nullptr) {
    ReportError(kTextOutOfMemory);
    return EndSplitRun(true);
  }

  job.pieceIndex = 0;
  job.totalBytesRead = 0;
  job.totalBytesWritten = 0;
  job.sourceFile = job.pieceFile = job.backupFile = kInvalidFile;
  job.running = 1;
  return 1;
}

int EndSplitRun(bool closeProgram) {
  SplitJob& job = splitJob;
  ReleaseDestination();
  if (job.buffer != nullptr) {
    Files().FreeBuffer(job.buffer);
    job.buffer = nullptr;
  }
  for (FileHandle* file : {&job.sourceFile, &job.pieceFile, &job.backupFile}) {
    if (*file != kInvalidFile) {
      Files().CloseFile(*file);
      *file = kInvalidFile;
    }
  }
  // Cleared first so that the dialog's own close does not take itself for a cancel.
  job.running = 0;
  job.finishing = 0;
  splitProgress->Close(closeProgram);
  return 0;
}

}  // namespace parcelo
