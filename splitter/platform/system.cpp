#include "platform/system.h"

#include <cctype>

namespace parcelo {
namespace {
System* installed = nullptr;
}

System& Sys() { return *installed; }

void InstallSystem(System* system) { installed = system; }

ChunkResult System::CopyChunk(FileHandle source, FileHandle piece, FileHandle backup,
                              void* buffer, std::uint32_t count, ChunkTap* tap) {
  ChunkResult result;
  result.read = ReadFile(source, buffer, count);
  if (!result.read.ok || result.read.bytes == 0) return result;
  if (tap != nullptr) tap->Seen(buffer, result.read.bytes);
  result.write = WriteFile(piece, buffer, result.read.bytes);
  if (!result.write.ok || backup == kInvalidFile) return result;
  result.backup = WriteFile(backup, buffer, result.read.bytes);
  return result;
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

std::uint32_t System::ClusterBytes(const std::string&) { return 1; }

bool System::EqualIgnoringCase(const std::string& a, const std::string& b) {
  return EqualIgnoringAsciiCase(a, b);
}

}  // namespace parcelo
