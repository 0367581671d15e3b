#include "cli/recovery_access.h"

#include <algorithm>

#include "cli/host.h"
#include "engine/piece_name.h"

namespace parcelo {
namespace {

bool AnyName(const std::string&) { return true; }

class SystemReadFile : public RecoveryReadFile {
 public:
  SystemReadFile(FileHandle file, std::uint64_t size) : file_(file), size_(size) {}
  ~SystemReadFile() override { Files().CloseFile(file_); }
  std::uint64_t Size() override { return size_; }
  bool ReadAt(std::uint64_t offset, void* data, std::size_t size) override {
    return offset + size <= size_ && ReadFileAt(file_, offset, data, size);
  }

 private:
  FileHandle file_;
  std::uint64_t size_;
};

}  // namespace

std::vector<std::string> FolderRecoverySource::Names() { return folder_.PlainFilesNamed(AnyName); }

std::unique_ptr<RecoveryReadFile> FolderRecoverySource::Open(const std::string& name) {
  const std::string path = folder_.PathOf(name);
  FoundFile found;
  // A FIFO would be waited on.
  if (!Files().FindFile(path, &found) || found.kind != EntryKind::File) return nullptr;
  std::uint32_t error = 0;
  ClearSystemError();
  const FileHandle file = Files().OpenForReading(path, &error);
  if (file == kInvalidFile) {
    if (unreadable_.empty()) unreadable_ = name + " (" + LastSystemError() + ")";
    return nullptr;
  }
  return std::make_unique<SystemReadFile>(file, found.size);
}

bool FolderRecoverySink::Create(const std::string& name) {
  Discard();
  name_ = name;
  reason_.clear();
  for (int n = 1; n < 1000; ++n) {
    temporary_ = ".parcelo95-repair-" + std::to_string(n) + ".part";
    std::uint32_t error = 0;
    ClearSystemError();
    file_ = Files().CreateNewFile(PathInFolder(dos_, temporary_), &error);
    if (file_ != kInvalidFile) return true;
    if (error != kErrorFileExists) break;
  }
  reason_ = LastSystemError();
  temporary_.clear();
  return false;
}

bool FolderRecoverySink::Write(const void* data, std::size_t size) {
  const auto* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const std::uint32_t take = static_cast<std::uint32_t>(std::min<std::size_t>(size, 1u << 24));
    ClearSystemError();
    if (file_ == kInvalidFile || !Files().WriteFile(file_, bytes, take).ok) {
      reason_ = LastSystemError();
      return false;
    }
    bytes += take;
    size -= take;
  }
  return true;
}

bool FolderRecoverySink::Close() {
  if (file_ == kInvalidFile) return false;
  Files().CloseFile(file_);
  file_ = kInvalidFile;
  if (!replace_) {
    made_[name_] = temporary_;
    temporary_.clear();
    return true;
  }
  const std::string target = PathInFolder(dos_, name_);
  FoundFile found;
  std::uint32_t error = 0;
  ClearSystemError();
  // The rebuilt file is whole by now: only then does the damaged one go.
  if (Files().FindFile(target, &found) && !Files().RemoveFile(target)) {
    reason_ = LastSystemError();
    Discard();
    return false;
  }
  if (!Files().RenameNoReplace(PathInFolder(dos_, temporary_), target, &error)) {
    // The old one is gone: the rebuilt one stays under its own name rather than be lost.
    reason_ = LastSystemError();
    made_[name_] = temporary_;
    temporary_.clear();
    return false;
  }
  temporary_.clear();
  return true;
}

void FolderRecoverySink::Discard() {
  if (file_ != kInvalidFile) Files().CloseFile(file_);
  file_ = kInvalidFile;
  if (!temporary_.empty()) Files().RemoveFile(PathInFolder(dos_, temporary_));
  temporary_.clear();
}

void FolderRecoverySink::RemoveMade() {
  for (const auto& [name, temporary] : made_) Files().RemoveFile(PathInFolder(dos_, temporary));
  made_.clear();
}

}  // namespace parcelo
