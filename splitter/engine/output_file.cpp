#include "engine/output_file.h"

#include "engine/piece_name.h"
#include "engine/split_job.h"
#include "engine/split_messages.h"
#include "engine/split_progress.h"
#include "engine/text_format.h"

namespace parcelo {
namespace {

constexpr char kReasonShortNameOfOther[] = "\"%s\" is the 8.3 name of another file, \"%s\".";

}  // namespace

FileHandle CreateOutputFile(const std::string& path) {
  SplitJob& job = splitJob;
  job.createRefusal.clear();
  if (Files().IsSameFile(path, job.sourcePath)) return kInvalidFile;
  const std::string name = LastComponent(path);
  FoundFile found;
  if (Files().FindFile(path, &found) && !Files().EqualIgnoringCase(found.name, name)) {
    job.createRefusal = Format(kReasonShortNameOfOther, name.c_str(), found.name.c_str());
    return kInvalidFile;
  }
  return Files().CreateForWriting(path, nullptr);
}

std::string OutputRefusal(const std::string& path) {
  const std::string name = LastComponent(path);
  if (Files().IsSameFile(path, splitJob.sourcePath)) {
    return Format(kReasonIsSourceItself, name.c_str());
  }
  FoundFile found;
  if (!Files().FindFile(path, &found) || !Files().EqualIgnoringCase(found.name, name)) return {};
  if (found.isDirectory) return Format(kReasonIsNoFile, name.c_str(), "a folder");
  if (!found.oddKind.empty()) return Format(kReasonIsNoFile, name.c_str(), found.oddKind.c_str());
  return {};
}

namespace {

bool WriteAll(FileHandle file, const std::string& bytes) {
  return Files().WriteFile(file, bytes.data(), static_cast<std::uint32_t>(bytes.size())).ok;
}

void DropBackupFile(FileHandle* backup, const std::string& path, const char* message) {
  if (*backup != kInvalidFile) {
    Files().CloseFile(*backup);
    Files().RemoveFile(path);
  }
  *backup = kInvalidFile;
  splitProgress->Ask(WithCreateRefusal(message), kCaptionError, kMbIconError);
  splitJob.backupEnabled = 0;
}

}  // namespace

int WriteRunFile(const std::string& name, const std::vector<std::string>& writes,
                 const char* backupCreateFailed, const char* backupWriteFailed) {
  SplitJob& job = splitJob;
  const std::string mainPath = PathInFolder(job.destinationPath, name);
  const FileHandle main = CreateOutputFile(mainPath);
  if (main == kInvalidFile) return 0;

  FileHandle backup = kInvalidFile;
  std::string backupPath;
  if (job.backupEnabled) {
    backupPath = PathInFolder(job.backupFolder, name);
    backup = CreateOutputFile(backupPath);
    if (backup == kInvalidFile) DropBackupFile(&backup, backupPath, backupCreateFailed);
  }
  for (const std::string& bytes : writes) {
    if (!WriteAll(main, bytes)) {
      Files().CloseFile(main);
      Files().RemoveFile(mainPath);
      if (backup != kInvalidFile) {
        Files().CloseFile(backup);
        Files().RemoveFile(backupPath);
      }
      return 0;
    }
    if (job.backupEnabled && !WriteAll(backup, bytes)) {
      DropBackupFile(&backup, backupPath, backupWriteFailed);
    }
  }
  Files().CloseFile(main);
  if (backup != kInvalidFile) Files().CloseFile(backup);
  return 1;
}

std::string WithCreateRefusal(const char* text) {
  std::string shown = text;
  if (!splitJob.createRefusal.empty()) shown += "\nReason: " + splitJob.createRefusal;
  splitJob.createRefusal.clear();
  return shown;
}

}  // namespace parcelo
