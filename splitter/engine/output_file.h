// Creation of every file a run writes (pieces, backups, join files).
#pragma once

#include <string>
#include <vector>

#include "platform/system.h"

namespace parcelo {

// CREATE_ALWAYS of path, refused when path names the run's source file: the source is
// never truncated, whatever the folder and names chosen. Also refused when the name
// reaches another file, as the 8.3 name that file answers to: it would be written over
// under a name it does not have. That refusal leaves its reason in splitJob.createRefusal.
FileHandle CreateOutputFile(const std::string& path);

// Why no file of the run can be created at path, found before anything is written: path is
// the source itself, a folder, a link or a FIFO. Empty when nothing there stands in the way.
std::string OutputRefusal(const std::string& path);

// Writes one of the files a run writes after its pieces (join or checksum file) as name in
// the destination and, while backups are on, in the backup folder, with one write of each of
// writes. 1 when the main file was written whole and closed; else 0, and what there was of
// it is removed (the caller shows why, with WithCreateRefusal). A backup that cannot be
// created or written is removed too, since one cut short would mislead: its message
// (backupCreateFailed or backupWriteFailed, with the reason) is shown and backups are off
// for the rest of the run.
int WriteRunFile(const std::string& name, const std::vector<std::string>& writes,
                 const char* backupCreateFailed, const char* backupWriteFailed);

// text, and the reason of CreateOutputFile's last refusal on a line of its own; the reason
// is given once.
std::string WithCreateRefusal(const char* text);

}  // namespace parcelo
