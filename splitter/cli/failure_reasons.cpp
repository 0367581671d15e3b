#include "cli/failure_reasons.h"

#include "cli/host.h"

namespace parcelo {

FailureReasons::FailureReasons(const System& inner)
    : ForwardingFileSystem(*inner.files), ForwardingWindowSystem(*inner.windows),
      registry_(inner.registry) {}

void FailureReasons::Note(bool failed) {
  pending_ = failed ? LastSystemError() : std::string();
}

FileHandle FailureReasons::OpenForReading(const std::string& path, std::uint32_t* error) {
  ClearSystemError();
  const FileHandle file = ForwardingFileSystem::inner_.OpenForReading(path, error);
  // A caller that takes the error code handles the failure itself, and shows no message.
  Note(file == kInvalidFile && error == nullptr);
  return file;
}

FileHandle FailureReasons::CreateForWriting(const std::string& path, std::uint32_t* error) {
  ClearSystemError();
  const FileHandle file = ForwardingFileSystem::inner_.CreateForWriting(path, error);
  Note(file == kInvalidFile);
  return file;
}

IoResult FailureReasons::ReadFile(FileHandle file, void* buffer, std::uint32_t count) {
  ClearSystemError();
  const IoResult result = ForwardingFileSystem::inner_.ReadFile(file, buffer, count);
  Note(!result.ok);
  return result;
}

IoResult FailureReasons::WriteFile(FileHandle file, const void* data, std::uint32_t count) {
  ClearSystemError();
  const IoResult result = ForwardingFileSystem::inner_.WriteFile(file, data, count);
  Note(!result.ok);
  return result;
}

bool FailureReasons::IsSameFile(const std::string& a, const std::string& b) {
  const bool same = ForwardingFileSystem::inner_.IsSameFile(a, b);
  if (same) pending_ = a.substr(a.find_last_of("\\:") + 1) + " is the source file itself";
  return same;
}

ChunkResult FailureReasons::CopyChunk(FileHandle source, FileHandle piece, FileHandle backup,
                                      void* buffer, std::uint32_t count, ChunkTap* tap) {
  ClearSystemError();
  const ChunkResult result = ForwardingFileSystem::inner_.CopyChunk(source, piece, backup, buffer, count, tap);
  Note(!result.read.ok || !result.write.ok || (backup != kInvalidFile && !result.backup.ok));
  return result;
}

int FailureReasons::ShowMessageBox(WindowHandle owner, const std::string& text,
                                   const std::string& caption, unsigned style) {
  std::string shown = text;
  // A message that found its cause before any operation failed gives it itself.
  if ((style & 0xF0) == kMbIconError && !pending_.empty() &&
      text.find("\nReason: ") == std::string::npos) {
    shown += "\nReason: " + pending_;
  }
  pending_.clear();
  return ForwardingWindowSystem::inner_.ShowMessageBox(owner, shown, caption, style);
}

}  // namespace parcelo
