// Small files that parcelo95 reads whole: join files and checksum files.
#pragma once

#include <string>

namespace parcelo {

// The bytes of the file at path, at most 1 MiB; false with *problem: "Cannot read PATH:
// reason", or "Too large for a KIND: PATH".
bool ReadTextFile(const std::string& path, const std::string& kind, std::string* text,
                  std::string* problem);

}  // namespace parcelo
