#include "cli/text_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace parcelo {
namespace {

constexpr std::size_t kLargestTextFile = 1 << 20;

}  // namespace

bool ReadTextFile(const std::string& path, const std::string& kind, std::string* text,
                  std::string* problem) {
  std::FILE* in = std::fopen(path.c_str(), "rb");
  if (in == nullptr) {
    *problem = "Cannot read " + path + ": " + std::strerror(errno);
    return false;
  }
  char chunk[4096];
  std::size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, in)) > 0 && text->size() <= kLargestTextFile) {
    text->append(chunk, got);
  }
  const bool failed = std::ferror(in) != 0;
  if (failed) *problem = "Cannot read " + path + ": " + std::strerror(errno);
  std::fclose(in);
  if (!failed && text->size() > kLargestTextFile) {
    *problem = "Too large for a " + kind + ": " + path;
    return false;
  }
  return !failed;
}

}  // namespace parcelo
