// Creation of every file a run writes (pieces, backups, join files).
#pragma once

#include <string>

#include "platform/system.h"

namespace parcelo {

// CREATE_ALWAYS of path, refused when path names the run's source file: the source is
// never truncated, whatever the folder and names chosen.
FileHandle CreateOutputFile(const std::string& path);

}  // namespace parcelo
