#include "engine/destination_claim.h"
#include "engine/join_batch.h"
#include "engine/output_file.h"
#include "engine/piece_name.h"
#include "engine/split_checksums.h"
#include "engine/split_job.h"
#include "engine/split_messages.h"
#include "engine/split_run.h"
#include "engine/text_format.h"
#include "frontend/app_settings.h"
#include "frontend/main_dialog_state.h"
#include "platform/system.h"

namespace parcelo {
namespace {

int Ask(const std::string& text, const char* caption, unsigned style) {
  return Sys().ShowMessageBox(progressDialog, text, caption, style);
}

// Ends the run with its message; the worker then returns this 0.
int Fail(const std::string& text) {
  Ask(text, kCaptionError, kMbIconError);
  return EndSplitRun(false);
}

// The cooperative stop: polled between chunks and before each question.
bool CancelPending() {
  if (!splitJob.cancelRequested) return false;
  EndSplitRun(false);
  return true;
}

void SetStatus(const std::string& text) {
  Sys().SetItemText(progressDialog, kIdProgressStatus, text);
}

// Creates one piece, asking Retry/Cancel while that fails. False after Cancel.
bool CreatePiece(const std::string& path) {
  SplitJob& job = splitJob;
  for (;;) {
    job.pieceFile = CreateOutputFile(path);
    if (job.pieceFile != kInvalidFile) return true;
    if (CancelPending()) return false;
    if (Ask(WithCreateRefusal(job.spanToDisk ? kTextCreateFailedSpanned : kTextCreateFailedSized),
            kCaptionError, kMbRetryCancel | kMbIconError) != kIdRetry) {
      EndSplitRun(false);
      return false;
    }
  }
}

// Asks for the disk of the current piece and takes its free space as the piece size.
bool TakeNextDisk(const std::string& root) {
  SplitJob& job = splitJob;
  if (CancelPending()) return false;
  if (Ask(Format(kTextInsertDisk, job.pieceIndex + 1), kProductTitle,
          kMbOkCancel | kMbIconQuestion) != kIdOk) {
    EndSplitRun(false);
    return false;
  }
  SetStatus(Format(kTextWritingPieceToDisk, job.pieceIndex + 1));
  std::uint32_t free = MeasureFreeBytes(root);
  while (free < kMinFreeForPiece) {
    if (CancelPending()) return false;
    if (Ask(kTextNotEnoughFree, kCaptionError, kMbRetryCancel | kMbIconError) != kIdRetry) {
      Ask(Format(kTextBytesFree, static_cast<int>(free)), kCaptionInfo, kMbOk);
      EndSplitRun(false);
      return false;
    }
    free = MeasureFreeBytes(root);
  }
  job.pieceSize = free;
  return true;
}

// Copies the current piece chunk by chunk. False when the run ended.
bool CopyPiece() {
  SplitJob& job = splitJob;
  job.pieceBytesWritten = 0;
  ChunkTap* const tap = job.checksums != nullptr ? job.checksums->Tap() : nullptr;
  while (job.pieceSize > job.pieceBytesWritten) {
    if (CancelPending()) return false;
    std::uint32_t toRead = job.chunkSize;
    if (job.pieceSize - job.pieceBytesWritten < toRead) toRead = job.pieceSize - job.pieceBytesWritten;
    // A source that grew since it was measured must not spill into the next piece.
    if (job.sourceSize - job.totalBytesRead < toRead) toRead = job.sourceSize - job.totalBytesRead;

    // One System operation per chunk: read, write and backup write, each judged below.
    const FileHandle backup = job.backupEnabled ? job.backupFile : kInvalidFile;
    const ChunkResult chunk =
        Sys().CopyChunk(job.sourceFile, job.pieceFile, backup, job.buffer, toRead, tap);
    const IoResult& read = chunk.read;
    if (!read.ok) {
      Fail(read.error == kErrorNotEnoughMemory ? kTextReadNoResources : kTextReadFailed);
      return false;
    }
    if (read.bytes == 0) {
      Fail(kTextReadPastEof);
      return false;
    }
    job.totalBytesRead += read.bytes;

    if (!chunk.write.ok) {
      Fail(chunk.write.error == kErrorNotEnoughMemory
               ? kTextWriteNoResources
               : (job.spanToDisk ? kTextWriteFailedSpanned : kTextWriteFailedSized));
      return false;
    }
    if (job.backupEnabled && !chunk.backup.ok) {
      if (chunk.backup.error == kErrorNotEnoughMemory) {
        Fail(kTextBackupWriteNoResources);
        return false;
      }
      Ask(kTextBackupWriteFailed, kCaptionError, kMbIconError);
      Sys().CloseFile(job.backupFile);
      job.backupFile = kInvalidFile;
      job.backupEnabled = 0;
    }
    job.pieceBytesWritten += read.bytes;
    job.totalBytesWritten += read.bytes;
    Sys().ProgressDelta(progressDialog, kIdProgressBar, 1);
    if (job.totalBytesWritten == job.sourceSize) break;
  }
  return true;
}

void ClosePieceFiles() {
  SplitJob& job = splitJob;
  for (FileHandle* file : {&job.pieceFile, &job.backupFile}) {
    if (*file != kInvalidFile) {
      Sys().CloseFile(*file);
      *file = kInvalidFile;
    }
  }
}

// Before the first piece in a folder, and on every disk: a checksum file of an earlier run
// there would describe pieces this run writes over.
bool ClearStaleChecksums() {
  SplitJob& job = splitJob;
  if (job.checksums == nullptr || (job.pieceIndex != 0 && !job.spanToDisk)) return true;
  if (!job.checksums->ClearStale(job.destinationPath, false)) return false;
  if (job.pieceIndex == 0 && job.backupEnabled) job.checksums->ClearStale(job.backupFolder, true);
  return true;
}

// The room a file of bytes takes on a disk of clusters: every file takes whole ones.
std::uint64_t RoomOnDisk(std::uint32_t bytes, std::uint32_t cluster) {
  if (cluster == 0) cluster = 1;
  return (static_cast<std::uint64_t>(bytes) + cluster - 1) / cluster * cluster;
}

// Waits until the last disk has room for the join file. False when the run ended.
bool EnsureJoinRoom(const std::string& root) {
  SplitJob& job = splitJob;
  const std::uint32_t join = JoinRoomNeeded(job.pieceBaseName, job.shortName, job.longName,
                                            job.pieceCount, appSettings.useDos83);
  const std::uint32_t checksums = job.checksums != nullptr ? job.checksums->RoomNeeded() : 0;
  for (;;) {
    const std::uint32_t cluster = Sys().ClusterBytes(root);  // another disk may be in now
    const std::uint64_t needed =
        RoomOnDisk(join, cluster) + (checksums > 0 ? RoomOnDisk(checksums, cluster) : 0);
    const std::uint32_t free = MeasureFreeBytes(root);
    if (free >= kMinFreeForJoin && free >= needed) return true;
    if (CancelPending()) return false;
    if (Ask(kTextNoRoomForJoin, kProductTitle, kMbOkCancel | kMbIconWarning) != kIdOk) {
      EndSplitRun(false);
      return false;
    }
  }
}

void ResetRequest() {
  SplitJob& job = splitJob;
  job.sourcePath.clear();
  job.destinationPath.clear();
  job.sourceSize = job.pieceSize = job.pieceCount = 0;
  ResetMainDialogState();  // the next main dialog starts like the first
}

// Whether the source is still the file the pieces were cut from: same size, same time of
// last write. One that is gone has nothing the pieces lack.
bool SourceUnchanged() {
  const SplitJob& job = splitJob;
  FoundFile found;
  return !Sys().FindFile(job.sourcePath, &found) ||
         (found.size == job.sourceSize && (job.sourceWriteTime == kUnknownWriteTime ||
                                           found.lastWriteTime == job.sourceWriteTime));
}

void FinishRun() {
  SplitJob& job = splitJob;
  // Until the last question is answered, neither the button nor the close box may close.
  job.finishing = 1;
  Sys().EnableItem(progressDialog, kIdProgressButton, false);
  job.running = 0;
  if (job.spanToDisk) {
    Sys().ProgressSetRange(progressDialog, kIdProgressBar, 0, 1);
    Sys().ProgressSetPos(progressDialog, kIdProgressBar, 1);
  } else {
    Sys().ProgressDelta(progressDialog, kIdProgressBar, 1);
  }
  SetStatus(kTextFinished);
  Sys().SetItemText(progressDialog, kIdProgressButton, kTextClose);
  Sys().UpdateToolTip(progressToolTip, progressDialog, kIdProgressButton, kTextCloseTip);
  Sys().PlaySystemSound(kSoundSystemDefault);

  if (appSettings.deletePrompt &&
      Ask(kTextDeleteSource, kProductTitle, kMbYesNo) == kIdYes) {
    // It may have changed while the question waited.
    if (SourceUnchanged()) {
      Sys().RemoveFile(job.sourcePath);
    } else {
      Ask(kTextSourceChangedNotDeleted, kCaptionError, kMbIconError);
    }
  }
  if (!appSettings.noReminders) {
    Ask(job.spanToDisk ? kTextReminderSpanned : kTextReminderSized, kProductTitle,
        kMbIconInformation);
  }
  ResetRequest();
  job.finishing = 0;
  Sys().EnableItem(progressDialog, kIdProgressButton, true);
  if (appSettings.closeWhenDone) Sys().CloseWindow(progressDialog);
}

}  // namespace

int SplitWorker() {
  SplitJob& job = splitJob;
  const std::string root = DriveRoot(job.destinationPath);
  if (CancelPending()) return 0;

  job.sourceFile = Sys().OpenForReading(job.sourcePath, nullptr);
  if (job.sourceFile == kInvalidFile) return Fail(kTextOpenSourceFailed);

  while (job.totalBytesWritten < job.sourceSize) {
    if (CancelPending()) return 0;
    const std::string piecePath = PiecePath(job.destinationPath, job.pieceBaseName, job.pieceIndex);
    if (job.spanToDisk) {
      SetStatus(Format(kTextWaitingForDisk, job.pieceIndex + 1));
      if (!TakeNextDisk(root)) return 0;
    } else {
      SetStatus(Format(kTextWritingPieceOf, job.pieceIndex + 1, static_cast<int>(job.pieceCount)));
    }
    const std::string pieceName = LastComponent(piecePath);
    if (!ClearWayForPiece(job.destinationPath, pieceName, job.spanToDisk != 0)) {
      return EndSplitRun(false);
    }
    if (!ClearStaleChecksums()) return EndSplitRun(false);
    if (!CreatePiece(piecePath)) return 0;
    if (job.backupEnabled && !ClearWayForPiece(job.backupFolder, pieceName, false, true)) {
      job.backupEnabled = 0;
    }
    if (job.backupEnabled) {
      job.backupFile = CreateOutputFile(PathInFolder(job.backupFolder, pieceName));
      if (job.backupFile == kInvalidFile) {
        Ask(WithCreateRefusal(kTextBackupCreateFailed), kCaptionError, kMbIconError);
        job.backupEnabled = 0;
      }
    }
    if (job.checksums != nullptr) job.checksums->PieceStarted(pieceName);
    if (!CopyPiece()) return 0;
    ClosePieceFiles();
    if (job.totalBytesWritten < job.sourceSize) job.pieceIndex += 1;
  }
  if (job.spanToDisk) job.pieceCount = static_cast<std::uint32_t>(job.pieceIndex) + 1;

  Sys().CloseFile(job.sourceFile);
  job.sourceFile = kInvalidFile;
  Sys().FreeBuffer(job.buffer);
  job.buffer = nullptr;

  if (job.spanToDisk && !EnsureJoinRoom(root)) return 0;
  if (CancelPending()) return 0;
  // A join file would claim that the pieces rebuild the file as it is now.
  if (!SourceUnchanged()) return Fail(kTextSourceChanged);

  if (job.checksums != nullptr && !job.checksums->Write()) return EndSplitRun(false);
  if (CancelPending()) return 0;
  SetStatus(kTextWritingJoin);
  if (!WriteJoinBatch(job.pieceBaseName, job.shortName, job.longName)) {
    return Fail(WithCreateRefusal(kTextJoinFailed));
  }
  if (job.checksums != nullptr && !job.checksums->WriteAfterJoin()) return EndSplitRun(false);
  ReleaseDestination();  // the writing is over; the last questions need no lock

  FinishRun();
  return 1;
}

}  // namespace parcelo
