#include "cli/text_file.h"

#include "cli/host.h"
#include "platform/system.h"

namespace parcelo {
namespace {

constexpr std::size_t kLargestTextFile = 1 << 20;

}  // namespace

bool ReadTextFile(const std::string& path, const std::string& shown, const std::string& kind,
                  std::string* text, std::string* problem) {
  std::uint32_t error = 0;
  ClearSystemError();
  const FileHandle in = Files().OpenForReading(path, &error);
  if (in == kInvalidFile) {
    *problem = "Cannot read " + shown + ": " + LastSystemError();
    return false;
  }
  char chunk[4096];
  bool failed = false;
  for (;;) {
    ClearSystemError();
    const IoResult got = Files().ReadFile(in, chunk, sizeof chunk);
    if (!got.ok) {
      *problem = "Cannot read " + shown + ": " + LastSystemError();
      failed = true;
      break;
    }
    text->append(chunk, got.bytes);
    if (got.bytes == 0 || text->size() > kLargestTextFile) break;
  }
  Files().CloseFile(in);
  if (!failed && text->size() > kLargestTextFile) {
    *problem = "Too large for a " + kind + ": " + shown;
    return false;
  }
  return !failed;
}

}  // namespace parcelo
