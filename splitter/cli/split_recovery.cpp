#include "cli/split_recovery.h"

#include <algorithm>
#include <functional>
#include <map>
#include <new>

#include "cli/host.h"
#include "engine/output_file.h"
#include "engine/piece_name.h"
#include "engine/split_job.h"
#include "engine/split_messages.h"
#include "engine/split_progress.h"
#include "engine/split_run.h"
#include "engine/text_format.h"
#include "platform/system.h"

namespace parcelo {
namespace {

constexpr char kTextMakingRecovery[] = "Making recovery data...";
constexpr char kTextWritingRecovery[] = "Writing recovery files...";
constexpr char kTextRecoveryFailed[] = "Unable to write recovery files, drive may be full.";
constexpr char kTextRecoveryBackupFailed[] =
    "Error writing to backup of recovery files. Backups have been disabled.";
constexpr char kTextRecoveryReadFailed[] = "Unable to read source file for recovery files.";
constexpr char kTextRecoveryNoMemory[] = "Not enough memory for recovery data.";
constexpr char kTextWaitingForRecoveryDisk[] = "Waiting for disk for recovery files...";
constexpr char kTextInsertRecoveryDisk[] = "Insert disk for recovery files";
constexpr char kTextNoRoomForRecovery[] =
    "Not enough room for recovery files on disk.\nInsert another disk for recovery files.";
constexpr char kTextRecoveryCancelled[] =
    "The recovery files were not all written. The pieces and the join file are complete.";
constexpr char kCreator[] = "Created by Tavrin Parcelo 95";
constexpr std::uint32_t kReadStep = 1u << 20;

int Ask(const std::string& text, const char* caption, unsigned style) {
  return splitProgress->Ask(text, caption, style);
}

void ShowError(const std::string& text) { Ask(text, kCaptionError, kMbIconError); }

bool EndsWithNoCase(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() &&
         EqualIgnoringAsciiCase(text.substr(text.size() - tail.size()), tail);
}

// BASE.par2 or BASE.volN+M.par2: a file of an earlier run's set over pieces of this base.
bool IsSetFileOf(const std::string& name, const std::string& base) {
  if (EqualIgnoringAsciiCase(name, base + ".par2")) return true;
  if (!EndsWithNoCase(name, ".par2") || name.size() <= base.size() + 9 ||
      !EqualIgnoringAsciiCase(name.substr(0, base.size() + 4), base + ".vol")) {
    return false;
  }
  const std::string numbers = name.substr(base.size() + 4, name.size() - base.size() - 9);
  const std::size_t plus = numbers.find('+');
  return plus != std::string::npos && plus > 0 && plus + 1 < numbers.size() &&
         numbers.find_first_not_of("0123456789+") == std::string::npos;
}

// The recovery files written straight into a folder, and into a backup folder while that
// works; a file cut short is removed.
class RunSink : public RecoverySink {
 public:
  // roomFor, when given, makes room for a file before it is created (another disk); false
  // when it was not given.
  RunSink(std::string folder, bool backup, std::function<bool(const std::string&)> roomFor = {})
      : folder_(std::move(folder)), backup_(backup), roomFor_(std::move(roomFor)) {}
  ~RunSink() override { Discard(); }
  bool cancelled() const { return cancelled_; }
  bool Create(const std::string& name) override {
    name_ = name;
    if (roomFor_ && !roomFor_(name)) {
      cancelled_ = true;
      return false;
    }
    file_ = CreateOutputFile(PathInFolder(folder_, name));
    if (backup_ && splitJob.backupEnabled) {
      backupFile_ = CreateOutputFile(PathInFolder(splitJob.backupFolder, name));
      if (backupFile_ == kInvalidFile) BackupFailed();
    }
    return file_ != kInvalidFile;
  }
  bool Write(const void* data, std::size_t size) override {
    const auto* bytes = static_cast<const char*>(data);
    for (std::size_t done = 0; done < size;) {
      const std::uint32_t take = static_cast<std::uint32_t>(std::min<std::size_t>(size - done, 1u << 24));
      if (!Files().WriteFile(file_, bytes + done, take).ok) return false;
      if (backupFile_ != kInvalidFile && !Files().WriteFile(backupFile_, bytes + done, take).ok) {
        BackupFailed();
      }
      done += take;
    }
    return true;
  }
  bool Close() override {
    Files().CloseFile(file_);
    file_ = kInvalidFile;
    if (backupFile_ != kInvalidFile) Files().CloseFile(backupFile_);
    backupFile_ = kInvalidFile;
    return true;
  }
  void Discard() override {
    if (file_ != kInvalidFile) {
      Files().CloseFile(file_);
      Files().RemoveFile(PathInFolder(folder_, name_));
    }
    file_ = kInvalidFile;
    if (backupFile_ != kInvalidFile) {
      Files().CloseFile(backupFile_);
      Files().RemoveFile(PathInFolder(splitJob.backupFolder, name_));
    }
    backupFile_ = kInvalidFile;
  }

 private:
  // A backup cut short would mislead: it goes, and backups are off from here on.
  void BackupFailed() {
    if (backupFile_ != kInvalidFile) {
      Files().CloseFile(backupFile_);
      Files().RemoveFile(PathInFolder(splitJob.backupFolder, name_));
      backupFile_ = kInvalidFile;
    }
    ShowError(kTextRecoveryBackupFailed);
    splitJob.backupEnabled = 0;
  }

  std::string folder_;
  bool backup_;
  std::function<bool(const std::string&)> roomFor_;
  bool cancelled_ = false;
  std::string name_;
  FileHandle file_ = kInvalidFile;
  FileHandle backupFile_ = kInvalidFile;
};

// The source read from its start, once more, into writer.
bool FeedFromSource(RecoveryWriter& writer) {
  std::uint32_t error = 0;
  const FileHandle source = Files().OpenForReading(splitJob.sourcePath, &error);
  if (source == kInvalidFile) return false;
  std::vector<char> buffer(kReadStep);
  std::uint64_t left = splitJob.sourceSize;
  bool ok = true;
  while (ok && left > 0) {
    if (splitJob.cancelRequested) {
      ok = false;
      break;
    }
    const IoResult got = Files().ReadFile(source, buffer.data(),
                                        static_cast<std::uint32_t>(std::min<std::uint64_t>(left, kReadStep)));
    ok = got.ok && got.bytes > 0;
    if (ok) {
      writer.Feed(buffer.data(), got.bytes);
      left -= got.bytes;
    }
  }
  Files().CloseFile(source);
  return ok;
}

}  // namespace

bool SplitRecovery::Plan(const std::vector<std::uint64_t>& sizes, std::uint32_t volumeLimit) {
  std::string problem;
  // The source can be read again, so what one pass cannot hold another makes.
  if (!PlanRecovery(sizes, percent_, splitJob.pieceBaseName, kRecoveryMemoryDefault, &plan_,
                    &problem, true, volumeLimit)) {
    ShowError(problem);
    return false;
  }
  return true;
}

// Each piece's first bytes, read from the source where the piece starts: the set's order
// hangs on them before the first byte is fed.
bool SplitRecovery::PieceStarts(std::vector<RecoveryPieceStart>* starts) {
  std::uint32_t error = 0;
  const FileHandle source = Files().OpenForReading(splitJob.sourcePath, &error);
  if (source == kInvalidFile) return false;
  std::vector<char> head(kPieceStartSize);
  std::uint64_t offset = 0;
  bool ok = true;
  for (std::size_t i = 0; ok && i < names_.size(); ++i) {
    const std::size_t take = static_cast<std::size_t>(std::min<std::uint64_t>(sizes_[i], kPieceStartSize));
    ok = ReadFileAt(source, offset, head.data(), take);
    starts->push_back({names_[i], sizes_[i], PieceStartHash(head.data(), take)});
    offset += sizes_[i];
  }
  Files().CloseFile(source);
  return ok;
}

bool SplitRecovery::ClearStale(const std::string& folder, bool backup) {
  if (!checksums_->ClearStale(folder, backup)) return false;
  const SplitJob& job = splitJob;
  // What could never be written is better said before the first piece than after the last.
  if (percent_ > 0 && !backup) {
    if (const std::string why = OutputRefusal(PathInFolder(folder, job.pieceBaseName + ".par2"));
        !why.empty()) {
      ShowError(std::string(kTextRecoveryFailed) + "\nReason: " + why);
      return false;
    }
  }
  // An earlier run's set would "repair" the new pieces back into the old ones. Plain files
  // only, and never the source itself, though it be named like one.
  for (const FolderEntry& entry : Files().ListFolder(folder)) {
    const std::string path = PathInFolder(folder, entry.name);
    if (entry.kind == EntryKind::File && IsSetFileOf(entry.name, job.pieceBaseName) &&
        !Files().IsSameFile(path, job.sourcePath)) {
      Files().RemoveFile(path);
    }
  }
  if (percent_ == 0 || backup || writer_ != nullptr) return true;
  if (job.spanToDisk) return true;
  // Cutting to a size, every piece is known before the first: the set is made as they pass.
  for (std::uint32_t i = 0; i < job.pieceCount; ++i) {
    names_.push_back(LastComponent(PiecePath(job.destinationPath, job.pieceBaseName, i)));
    sizes_.push_back(i + 1 < job.pieceCount ? job.pieceSize
                                            : job.sourceSize - std::uint64_t(job.pieceSize) * i);
  }
  if (!Plan(sizes_, 0)) return false;
  std::vector<RecoveryPieceStart> starts;
  if (!PieceStarts(&starts)) {
    ShowError(kTextRecoveryReadFailed);
    return false;
  }
  try {
    writer_ = std::make_unique<RecoveryWriter>(plan_, std::move(starts), kCreator, 0);
  } catch (const std::bad_alloc&) {
    ShowError(kTextRecoveryNoMemory);
    return false;
  }
  return true;
}

void SplitRecovery::PieceStarted(const std::string& pieceName) {
  checksums_->PieceStarted(pieceName);
  if (percent_ > 0 && splitJob.spanToDisk) {
    names_.push_back(pieceName);
    sizes_.push_back(0);
  }
}

void SplitRecovery::Seen(const void* data, std::uint32_t count) {
  if (ChunkTap* tap = checksums_->Tap()) tap->Seen(data, count);
  if (writer_ != nullptr) writer_->Feed(data, count);
  if (splitJob.spanToDisk && !sizes_.empty()) sizes_.back() += count;
}

int SplitRecovery::WriteSet(RecoveryWriter& writer, const std::string& folder, bool backup) {
  splitProgress->ShowStatus(kTextWritingRecovery);
  RunSink sink(folder, backup, roomFor_);
  std::string problem;
  if (writer.Finish(sink, &problem)) return 1;
  ShowError(sink.cancelled() ? std::string(kTextRecoveryCancelled)
                             : WithCreateRefusal(kTextRecoveryFailed));
  return 0;
}

int SplitRecovery::WritePasses(std::size_t first, const std::string& folder, bool backup) {
  std::vector<RecoveryPieceStart> starts;
  if (!PieceStarts(&starts)) {
    ShowError(kTextRecoveryReadFailed);
    return 0;
  }
  for (std::size_t pass = first; pass < plan_.passes.size(); ++pass) {
    splitProgress->ShowStatus(kTextMakingRecovery);
    std::unique_ptr<RecoveryWriter> writer;
    try {
      writer = std::make_unique<RecoveryWriter>(plan_, starts, kCreator, pass);
    } catch (const std::bad_alloc&) {
      ShowError(kTextRecoveryNoMemory);
      return 0;
    }
    if (!FeedFromSource(*writer)) {
      if (!splitJob.cancelRequested) ShowError(kTextRecoveryReadFailed);
      return 0;
    }
    if (!WriteSet(*writer, folder, backup)) return 0;
  }
  return 1;
}

int SplitRecovery::Write() {
  if (!checksums_->Write()) return 0;
  if (percent_ == 0 || splitJob.spanToDisk) return 1;
  // The first pass was fed as the pieces were cut; what it could not hold needs the source
  // once more for each further pass.
  if (!WriteSet(*writer_, splitJob.destinationPath, true)) return 0;
  writer_.reset();
  return WritePasses(1, splitJob.destinationPath, true);
}

// Waits for a disk with room for bytes, asking for the first one (first) or another.
bool SplitRecovery::WaitForRecoveryDisk(const std::string& root, std::uint64_t bytes, bool first) {
  const char* ask = first ? kTextInsertRecoveryDisk : nullptr;
  for (;;) {
    if (splitJob.cancelRequested) return false;
    if (ask != nullptr) {
      splitProgress->ShowStatus(kTextWaitingForRecoveryDisk);
      if (Ask(ask, kProductTitle, kMbOkCancel | kMbIconQuestion) != kIdOk) return false;
    }
    // Every file takes whole clusters of the disk in now.
    const std::uint32_t cluster = std::max<std::uint32_t>(1, Files().ClusterBytes(root));
    const std::uint64_t needed = (bytes + cluster - 1) / cluster * cluster;
    if (MeasureFreeBytes(root) >= needed) return true;
    ask = nullptr;
    if (Ask(kTextNoRoomForRecovery, kProductTitle, kMbOkCancel | kMbIconWarning) != kIdOk) {
      return false;
    }
  }
}

int SplitRecovery::WriteAfterJoin() {
  if (percent_ == 0 || !splitJob.spanToDisk) return 1;
  // The pieces' sizes were the disks' to give: only now is the set's shape known, and the
  // pieces are gone with their disks, so the source is read again.
  if (!Plan(sizes_, 0)) return 0;
  std::vector<RecoveryPieceStart> pieces;
  for (std::size_t i = 0; i < names_.size(); ++i) pieces.push_back({names_[i], sizes_[i], {}});
  const std::uint64_t index = RecoveryFileSizes(plan_, pieces, kCreator).front();
  const std::string root = DriveRoot(splitJob.destinationPath);
  if (!WaitForRecoveryDisk(root, index, true)) return EndCancelled();
  // Each file no larger than the disk in now can hold: a set larger than one disk goes on
  // as many as it takes, one asked for when the next file does not fit.
  const std::uint32_t cluster = std::max<std::uint32_t>(1, Files().ClusterBytes(root));
  const std::uint64_t free = MeasureFreeBytes(root) / cluster * cluster;
  const std::uint64_t perBlock = kPar2HeaderSize + 4 + plan_.blockSize;
  const std::uint64_t fits = free > index + cluster ? (free - index - cluster) / perBlock : 0;
  if (!Plan(sizes_, static_cast<std::uint32_t>(std::max<std::uint64_t>(1, std::min<std::uint64_t>(fits, 0xFFFFFFFFu))))) {
    return 0;
  }
  std::map<std::string, std::uint64_t> sizes;
  const std::vector<std::uint64_t> files = RecoveryFileSizes(plan_, pieces, kCreator);
  sizes[plan_.indexName] = files[0];
  for (std::size_t v = 0; v < plan_.volumes.size(); ++v) sizes[plan_.volumes[v].name] = files[v + 1];
  roomFor_ = [this, root, sizes](const std::string& name) {
    return WaitForRecoveryDisk(root, sizes.at(name), false);
  };
  const int written = WritePasses(0, root, true);
  roomFor_ = nullptr;
  return written;
}

int SplitRecovery::EndCancelled() {
  ShowError(kTextRecoveryCancelled);
  return 0;
}

}  // namespace parcelo
