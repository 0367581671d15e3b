// The cause of a failed file operation, shown under the program's own message on a
// terminal: "Drive may be full." alone would mislead when the folder is write-protected.
#pragma once

#include <string>

#include "platform/forwarding_system.h"

namespace parcelo {

// It changes two tables: the file operations note their causes, and the error boxes show
// them; the registry passes untouched.
class FailureReasons final : public ForwardingFileSystem, public ForwardingWindowSystem {
 public:
  explicit FailureReasons(const System& inner);
  // The tables with these two in place.
  System Tables() { return {this, registry_, this}; }

  // Not noted when the caller asks for the error code: it handles that failure itself.
  FileHandle OpenForReading(const std::string& path, std::uint32_t* error) override;
  FileHandle CreateForWriting(const std::string& path, std::uint32_t* error) override;
  IoResult ReadFile(FileHandle file, void* buffer, std::uint32_t count) override;
  IoResult WriteFile(FileHandle file, const void* data, std::uint32_t count) override;
  // True stops a create before it is tried (the source is never written over): that is
  // then the cause to give.
  bool IsSameFile(const std::string& a, const std::string& b) override;
  ChunkResult CopyChunk(FileHandle source, FileHandle piece, FileHandle backup, void* buffer,
                        std::uint32_t count, ChunkTap* tap) override;

  // An error box gets the pending cause as a line of its own; other boxes pass unchanged.
  int ShowMessageBox(WindowHandle owner, const std::string& text, const std::string& caption,
                     unsigned style) override;

 private:
  void Note(bool failed);

  RegistrySystem* registry_;
  std::string pending_;
};

}  // namespace parcelo
