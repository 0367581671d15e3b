#include "platform/system.h"

#include <cctype>

namespace parcelo {
namespace {
System installed = {};
}  // namespace

void InstallSystem(const System& system) { installed = system; }
const System& InstalledSystem() { return installed; }

FileSystem& Files() { return *installed.files; }
RegistrySystem& Registry() { return *installed.registry; }
WindowSystem& Windows() { return *installed.windows; }

ChunkResult PlainCopyChunk(FileSystem& files, FileHandle source, FileHandle piece,
                           FileHandle backup, void* buffer, std::uint32_t count, ChunkTap* tap) {
  ChunkResult result;
  result.read = files.ReadFile(source, buffer, count);
  if (!result.read.ok || result.read.bytes == 0) return result;
  if (tap != nullptr) tap->Seen(buffer, result.read.bytes);
  result.write = files.WriteFile(piece, buffer, result.read.bytes);
  if (!result.write.ok || backup == kInvalidFile) return result;
  result.backup = files.WriteFile(backup, buffer, result.read.bytes);
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

}  // namespace parcelo
