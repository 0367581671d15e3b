// What a file is, in words, for messages about a file that is not a regular one.
#pragma once

#include <sys/types.h>

namespace parcelo {

// "a FIFO", "a directory", "a socket", ...; for a regular file, "a regular file".
const char* FileKindName(mode_t mode);

}  // namespace parcelo
