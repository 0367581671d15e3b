#include "engine/app_settings.h"
#include "engine/destination_claim.h"
#include "engine/join_batch.h"
#include "engine/output_file.h"
#include "engine/piece_name.h"
#include "engine/split_checksums.h"
#include "engine/split_job.h"
#include "engine/split_messages.h"
#include "engine/split_progress.h"
#include "engine/split_run.h"
#include "engine/text_format.h"
#include "platform/system.h"

namespace parcelo {
namespace {

int Ask(const std::string& text, const char* caption, unsigned style) {
  return splitProgress->Ask(text, caption, style);
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
  splitProgress->ShowStatus(text);
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

// Judges a chunk's read as the run's messages say; false when the run ended.
bool ReadTaken(const IoResult& read) {
  if (!read.ok) {
    Fail(read.error == kErrorNotEnoughMemory ? kTextReadNoResources : kTextReadFailed);
    return false;
  }
  if (read.bytes == 0) {
    Fail(kTextReadPastEof);
    return false;
  }
  splitJob.totalBytesRead += read.bytes;
  return true;
}

// Judges the writes of a chunk of bytes to the piece and the backup; false when the run
// ended.
bool WritesTaken(const ChunkResult& chunk, std::uint32_t bytes) {
  SplitJob& job = splitJob;
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
    Files().CloseFile(job.backupFile);
    job.backupFile = kInvalidFile;
    job.backupEnabled = 0;
  }
  job.pieceBytesWritten += bytes;
  job.totalBytesWritten += bytes;
  splitProgress->Step(1);
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
    if (job.sourceSize - job.totalBytesRead < toRead) {
      toRead = static_cast<std::uint32_t>(job.sourceSize - job.totalBytesRead);
    }

    // One System operation per chunk: read, write and backup write, each judged below.
    const FileHandle backup = job.backupEnabled ? job.backupFile : kInvalidFile;
    const ChunkResult chunk =
        Files().CopyChunk(job.sourceFile, job.pieceFile, backup, job.buffer, toRead, tap);
    if (!ReadTaken(chunk.read) || !WritesTaken(chunk, chunk.read.bytes)) return false;
    if (job.totalBytesWritten == job.sourceSize) break;
  }
  return true;
}

// Up to count bytes of the pipe into the buffer from offset; fewer only at its end.
IoResult ReadStream(std::uint32_t offset, std::uint32_t count) {
  SplitJob& job = splitJob;
  IoResult all;
  all.ok = true;
  while (all.bytes < count) {
    // A pipe hands over what it holds, which may be less than asked.
    const IoResult got =
        Files().ReadFile(job.sourceFile, job.buffer + offset + all.bytes, count - all.bytes);
    if (!got.ok) return got;
    if (got.bytes == 0) break;
    all.bytes += got.bytes;
  }
  return all;
}

// Copies the current piece from the pipe: first the held bytes already in the buffer, then
// chunk after chunk until the piece is full or the pipe ends (*ended). False when the run
// ended.
bool CopyStreamPiece(std::uint32_t held, bool* ended) {
  SplitJob& job = splitJob;
  job.pieceBytesWritten = 0;
  ChunkTap* const tap = job.checksums != nullptr ? job.checksums->Tap() : nullptr;
  std::uint32_t inBuffer = held;
  for (;;) {
    if (inBuffer == 0) {
      if (*ended || job.pieceSize == job.pieceBytesWritten) break;
      if (CancelPending()) return false;
      std::uint32_t toRead = job.chunkSize;
      if (job.pieceSize - job.pieceBytesWritten < toRead) toRead = job.pieceSize - job.pieceBytesWritten;
      const IoResult read = ReadStream(0, toRead);
      if (read.ok && read.bytes < toRead) *ended = true;
      if (read.ok && read.bytes == 0) break;
      if (!ReadTaken(read)) return false;
      inBuffer = read.bytes;
    }
    if (tap != nullptr) tap->Seen(job.buffer, inBuffer);
    ChunkResult chunk;
    chunk.write = Files().WriteFile(job.pieceFile, job.buffer, inBuffer);
    if (chunk.write.ok && job.backupEnabled) {
      chunk.backup = Files().WriteFile(job.backupFile, job.buffer, inBuffer);
    }
    if (!WritesTaken(chunk, inBuffer)) return false;
    inBuffer = 0;
  }
  return true;
}

void ClosePieceFiles() {
  SplitJob& job = splitJob;
  for (FileHandle* file : {&job.pieceFile, &job.backupFile}) {
    if (*file != kInvalidFile) {
      Files().CloseFile(*file);
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
    const std::uint32_t cluster = Files().ClusterBytes(root);  // another disk may be in now
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
  job.sourceStream = kInvalidFile;
  job.destinationPath.clear();
  job.sourceSize = job.pieceSize = job.pieceCount = 0;
  splitProgress->ForgetRequest();
}

// Whether a file found at the source's path is the file the pieces were cut from: same size,
// same time of last write.
bool IsSourceAsSplit(const FoundFile& found) {
  const SplitJob& job = splitJob;
  return found.size == job.sourceSize && (job.sourceWriteTime == kUnknownWriteTime ||
                                          found.lastWriteTime == job.sourceWriteTime);
}

// Whether the source is still the file the pieces were cut from. One that is gone has
// nothing the pieces lack, nor has a pipe.
bool SourceUnchanged() {
  FoundFile found;
  return splitJob.sourceStream != kInvalidFile ||
         !Files().FindFile(splitJob.sourcePath, &found) || IsSourceAsSplit(found);
}

void FinishRun() {
  SplitJob& job = splitJob;
  // Until the last question is answered, neither the button nor the close box may close.
  job.finishing = 1;
  splitProgress->EnableStop(false);
  job.running = 0;
  if (job.spanToDisk) {
    splitProgress->SetRange(1);
    splitProgress->SetPosition(1);
  } else {
    splitProgress->Step(1);
  }
  SetStatus(kTextFinished);
  splitProgress->ShowFinished();

  // A pipe leaves nothing to delete.
  if (appSettings.deletePrompt && job.sourceStream == kInvalidFile &&
      Ask(kTextDeleteSource, kProductTitle, kMbYesNo) == kIdYes) {
    // It may have changed while the question waited. Only a source seen as it was split is
    // deleted: one that is gone, or that cannot be looked up, is left alone.
    FoundFile found;
    if (Files().FindFile(job.sourcePath, &found)) {
      if (IsSourceAsSplit(found)) {
        Files().RemoveFile(job.sourcePath);
      } else {
        Ask(kTextSourceChangedNotDeleted, kCaptionError, kMbIconError);
      }
    }
  }
  if (!appSettings.noReminders) {
    Ask(job.spanToDisk ? kTextReminderSpanned : kTextReminderSized, kProductTitle,
        kMbIconInformation);
  }
  ResetRequest();
  job.finishing = 0;
  splitProgress->EnableStop(true);
  if (appSettings.closeWhenDone) splitProgress->Close(false);
}

// Asks for the disk (spanning), clears the way and creates the current piece and its
// backup; adds their paths to made when given. False when the run ended.
bool OpenPiece(const std::string& root, std::vector<std::string>* made) {
  SplitJob& job = splitJob;
  const std::string piecePath = PiecePath(job.destinationPath, job.pieceBaseName, job.pieceIndex);
  if (job.spanToDisk) {
    SetStatus(Format(kTextWaitingForDisk, job.pieceIndex + 1));
    if (!TakeNextDisk(root)) return false;
  } else if (job.sourceStream != kInvalidFile) {
    SetStatus(Format(kTextWritingPiece, job.pieceIndex + 1));
  } else {
    SetStatus(Format(kTextWritingPieceOf, job.pieceIndex + 1, static_cast<int>(job.pieceCount)));
  }
  const std::string pieceName = LastComponent(piecePath);
  if (!ClearWayForPiece(job.destinationPath, pieceName, job.spanToDisk != 0)) {
    EndSplitRun(false);
    return false;
  }
  if (!ClearStaleChecksums()) {
    EndSplitRun(false);
    return false;
  }
  if (!CreatePiece(piecePath)) return false;
  if (made != nullptr) made->push_back(piecePath);
  if (job.backupEnabled && !ClearWayForPiece(job.backupFolder, pieceName, false, true)) {
    job.backupEnabled = 0;
  }
  if (job.backupEnabled) {
    const std::string backupPath = PathInFolder(job.backupFolder, pieceName);
    job.backupFile = CreateOutputFile(backupPath);
    if (job.backupFile == kInvalidFile) {
      Ask(WithCreateRefusal(kTextBackupCreateFailed), kCaptionError, kMbIconError);
      job.backupEnabled = 0;
    } else if (made != nullptr) {
      made->push_back(backupPath);
    }
  }
  if (job.checksums != nullptr) job.checksums->PieceStarted(pieceName);
  return true;
}

// Ends a pipe's run that must not stand with its message, after removing the pieces and
// backups it wrote, which a file of its size would never have got. Always false.
bool TakeBack(const std::vector<std::string>& made, const char* text) {
  ClosePieceFiles();
  for (const std::string& path : made) Files().RemoveFile(path);
  Fail(text);
  return false;
}

// The pieces of a pipe, read to its end. Each piece's first bytes are read before the
// piece is made, so that a pipe that ends makes no empty piece and the piece limit is met
// only by a piece that would hold something. False when the run ended.
bool SplitStream(const std::string& root) {
  SplitJob& job = splitJob;
  job.sourceFile = job.sourceStream;
  std::vector<std::string> made;
  bool ended = false;
  for (;;) {
    if (CancelPending()) return false;
    // Spanning, the next disk's room is not known yet; every disk takes 2 KB.
    const std::uint32_t lead =
        job.spanToDisk && job.chunkSize > kMinFreeForPiece ? kMinFreeForPiece : job.chunkSize;
    const IoResult first = ended ? IoResult{true, 0, 0} : ReadStream(0, lead);
    if (first.ok && first.bytes < lead) ended = true;
    if (first.ok && first.bytes == 0) break;
    if (!ReadTaken(first)) return false;
    if (!job.spanToDisk && job.pieceIndex >= kMostPieces) return TakeBack(made, kTextTooManyPieces);
    if (!OpenPiece(root, &made)) return false;
    if (!CopyStreamPiece(first.bytes, &ended)) return false;
    ClosePieceFiles();
    job.pieceIndex += 1;
  }
  if (job.pieceIndex == 0) {
    Fail(kTextStreamEmpty);
    return false;
  }
  job.pieceIndex -= 1;  // the last piece written
  job.pieceCount = static_cast<std::uint32_t>(job.pieceIndex) + 1;
  job.sourceSize = job.totalBytesRead;
  if (!job.spanToDisk && job.pieceCount == 1) {
    return TakeBack(made, job.sourceSize < job.pieceSize ? kTextSizeOverSource : kTextOnePiece);
  }
  return true;
}

}  // namespace

int SplitWorker() {
  SplitJob& job = splitJob;
  const std::string root = DriveRoot(job.destinationPath);
  if (CancelPending()) return 0;

  if (job.sourceStream != kInvalidFile) {
    if (!SplitStream(root)) return 0;
  } else {
    job.sourceFile = Files().OpenForReading(job.sourcePath, nullptr);
    if (job.sourceFile == kInvalidFile) return Fail(kTextOpenSourceFailed);
    while (job.totalBytesWritten < job.sourceSize) {
      if (CancelPending()) return 0;
      if (!OpenPiece(root, nullptr)) return 0;
      if (!CopyPiece()) return 0;
      ClosePieceFiles();
      if (job.totalBytesWritten < job.sourceSize) job.pieceIndex += 1;
    }
    if (job.spanToDisk) job.pieceCount = static_cast<std::uint32_t>(job.pieceIndex) + 1;
  }

  Files().CloseFile(job.sourceFile);
  job.sourceFile = kInvalidFile;
  Files().FreeBuffer(job.buffer);
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
