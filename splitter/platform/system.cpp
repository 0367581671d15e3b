#include "platform/system.h"

#include <cctype>

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

namespace {

void AddStep(IoResult* total, const IoResult& step) {
  total->ok = step.ok;
  total->error = step.error;
  total->bytes += step.bytes;
}

}  // namespace

ChunkResult CopyChunkInSteps(System& system, FileHandle source, FileHandle piece,
                             FileHandle backup, void* buffer, std::uint32_t count,
                             std::uint32_t step) {
  ChunkResult total;
  std::uint32_t done = 0;
  do {
    const std::uint32_t size = count - done < step ? count - done : step;
    const ChunkResult part = system.System::CopyChunk(source, piece, backup, buffer, size);
    AddStep(&total.read, part.read);
    if (!part.read.ok || part.read.bytes == 0) break;
    AddStep(&total.write, part.write);
    if (!part.write.ok) break;
    if (backup != kInvalidFile) {
      AddStep(&total.backup, part.backup);
      if (!part.backup.ok) backup = kInvalidFile;
    }
    done += part.read.bytes;
    if (part.read.bytes < size) break;  // the end of the source
  } while (done < count);
  return total;
}

bool EqualIgnoringAsciiCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(a[i])) !=
        std::toupper(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

std::uint64_t NameHash(const std::string& text) {
  std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (unsigned char c : text) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  return hash;
}

bool System::EqualIgnoringCase(const std::string& a, const std::string& b) {
  return EqualIgnoringAsciiCase(a, b);
}

}  // namespace parcelo
