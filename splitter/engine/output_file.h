// Creation of every file a run writes (pieces, backups, join files).
#pragma once

#include <string>

#include "platform/system.h"

namespace parcelo {

// CREATE_ALWAYS of path, refused when path names the run's source file: the source is
// never truncated, whatever the folder and names chosen. Also refused when the name
// reaches another file, as the 8.3 name that file answers to: it would be written over
// under a name it does not have. That refusal leaves its reason in splitJob.createRefusal.
FileHandle CreateOutputFile(const std::string& path);

// Gives up the backup copy of a file the run writes last (join or checksum file): closes
// and removes what there is of it, since one cut short would mislead, shows message (with
// the create refusal's reason) and turns backups off for the rest of the run.
void DropBackupFile(FileHandle* backup, const std::string& path, const char* message);

// text, and the reason of CreateOutputFile's last refusal on a line of its own; the reason
// is given once.
std::string WithCreateRefusal(const char* text);

}  // namespace parcelo
