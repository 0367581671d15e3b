#include "platform/system.h"

namespace parcelo {
namespace {
System* installed = nullptr;
}

System& Sys() { return *installed; }

void InstallSystem(System* system) { installed = system; }

ChunkResult System::CopyChunk(FileHandle source, FileHandle piece, FileHandle backup,
                              void* buffer, std::uint32_t count) {
  ChunkResult result;
  result.read = ReadFile(source, buffer, count);
  if (!result.read.ok || result.read.bytes == 0) return result;
  result.write = WriteFile(piece, buffer, result.read.bytes);
  if (!result.write.ok || backup == kInvalidFile) return result;
  result.backup = WriteFile(backup, buffer, result.read.bytes);
  return result;
}

}  // namespace parcelo
