// Small files that parcelo95 reads whole: join files and checksum files.
#pragma once

#include <string>

namespace parcelo {

// The bytes of the file at the DOS path, read through the System, at most 1 MiB; false
// with *problem: "Cannot read SHOWN: reason", or "Too large for a KIND: SHOWN", where
// shown is the path as the user wrote it.
bool ReadTextFile(const std::string& path, const std::string& shown, const std::string& kind,
                  std::string* text, std::string* problem);

}  // namespace parcelo
