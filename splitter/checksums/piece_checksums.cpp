#include "checksums/piece_checksums.h"

#include "checksums/crc32.h"
#include "engine/output_file.h"
#include "engine/piece_name.h"
#include "engine/split_job.h"
#include "engine/split_messages.h"
#include "engine/split_progress.h"
#include "engine/text_format.h"

namespace parcelo {
namespace {

constexpr char kTextWritingChecksums[] = "Writing checksum file...";
constexpr char kTextChecksumsFailed[] = "Unable to write checksum file, drive may be full.";
constexpr char kTextChecksumsBackupCreateFailed[] =
    "Error creating backup of checksum file. Backups have been disabled.";
constexpr char kTextChecksumsBackupWriteFailed[] =
    "Error writing to backup of checksum file. Backups have been disabled.";
constexpr char kTextStaleChecksumsStay[] =
    "The checksum file \"%s\" lists pieces that this split writes over, and it could not be "
    "removed. Remove it, then split again.";
constexpr char kTextStaleBackupChecksumsStay[] =
    "The checksum file \"%s\" lists backup pieces that this split writes over, and it could "
    "not be removed. Backups have been disabled.";

void ShowError(const std::string& text) {
  splitProgress->Ask(text, kCaptionError, kMbIconError);
}

}  // namespace

void PieceChecksums::Seen(const void* data, std::uint32_t count) {
  Piece& piece = pieces_.back();
  piece.crc = Crc32Update(piece.crc, data, count);
  piece.size += count;
}

void PieceChecksums::PieceStarted(const std::string& pieceName) {
  if (write_) pieces_.push_back(Piece{pieceName, 0, 0});
}

SfvFile PieceChecksums::Content() const {
  SfvFile file;
  file.sourceKnown = true;
  file.sourceName = splitJob.longName;
  for (const Piece& piece : pieces_) {
    file.entries.push_back(SfvEntry{piece.name, piece.crc});
    file.sourceCrc = Crc32Combine(file.sourceCrc, piece.crc, piece.size);
    file.sourceSize += piece.size;
  }
  return file;
}

std::uint32_t PieceChecksums::RoomNeeded() {
  return write_ ? static_cast<std::uint32_t>(FormatSfv(Content()).size()) : 0;
}

std::string PieceChecksums::FileName() {
  return write_ ? SfvFileName(splitJob.pieceBaseName) : std::string();
}

bool PieceChecksums::ClearStale(const std::string& folder, bool backup) {
  const SplitJob& job = splitJob;
  const std::string name = SfvFileName(job.pieceBaseName);
  const std::string path = PathInFolder(folder, name);
  // What could never be written is better said before the first piece than after the last.
  if (write_ && !backup) {
    if (const std::string why = OutputRefusal(path); !why.empty()) {
      ShowError(std::string(kTextChecksumsFailed) + "\nReason: " + why);
      return false;
    }
  }
  FoundFile found;
  // Another file that answers to the name as its 8.3 name is not ours to remove; the
  // create refuses it later. Nor is the source, when none is written.
  if (!Files().FindFile(path, &found) || found.isDirectory ||
      !Files().EqualIgnoringCase(found.name, name) || Files().IsSameFile(path, job.sourcePath)) {
    return true;
  }
  FoundFile still;
  if (Files().RemoveFile(path) || !Files().FindFile(path, &still)) return true;
  if (backup) {
    ShowError(Format(kTextStaleBackupChecksumsStay, path.c_str()));
    splitJob.backupEnabled = 0;
    return true;
  }
  ShowError(Format(kTextStaleChecksumsStay, path.c_str()));
  return false;
}

int PieceChecksums::Write() {
  if (!write_) return 1;
  splitProgress->ShowStatus(kTextWritingChecksums);
  if (WriteRunFile(SfvFileName(splitJob.pieceBaseName), {FormatSfv(Content())},
                   kTextChecksumsBackupCreateFailed, kTextChecksumsBackupWriteFailed)) {
    return 1;
  }
  ShowError(WithCreateRefusal(kTextChecksumsFailed));
  return 0;
}

}  // namespace parcelo
