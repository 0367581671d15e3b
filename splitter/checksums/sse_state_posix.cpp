#include "checksums/crc32_fold.h"

namespace parcelo {

// Every x86 kernel this runs on saves the SSE registers.
bool SystemKeepsSseState() { return true; }

}  // namespace parcelo
