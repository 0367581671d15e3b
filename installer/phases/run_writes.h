// What this run wrote, so that a rollback takes back only its own work. A file or link
// that was already at a path the run writes is first set aside in the same folder, under a
// name that no entry of the package uses, and comes back on rollback; at every other end
// of the run the kept copies are dropped.
#pragma once

#include <string>

#include "phases/install_run.h"

namespace qinstall {

// Moves the file at path aside and returns where it went, or "" when it could not be
// moved (or there is nothing at path to keep). A folder is never moved.
std::string KeepAside(const std::string& path);
// Brings a kept file back to path; false when it could not (it then stays where it was).
bool PutBack(const std::string& keptPath, const std::string& path);

void NoteWrite(RunWrite::Kind kind, const std::string& path, const std::string& keptPath);
// Removes this run's writes of one kind, latest first, putting kept files back.
void UndoWrites(RunWrite::Kind kind);
// Deletes every kept file and forgets the writes: the run's work stays as it is.
void DropKeptFiles();

}  // namespace qinstall
