// The rollback of a confirmed cancel. Each operation takes back only what this run wrote
// or created and passes over whatever cannot be removed.
#include "package/install_package.h"
#include "phases/install_phases.h"
#include "phases/install_run.h"
#include "phases/run_writes.h"

namespace qinstall {

// The files copied, and the record when one was written: the record must go before the
// folders, or a destination folder this run created could not be removed.
int RemoveCopiedFiles() {
  UndoWrites(RunWrite::Kind::File);
  return 1;
}

int RemoveShortcuts() {
  UndoWrites(RunWrite::Kind::Link);
  return 1;
}

int RemoveCreatedFolders() {
  const InstallRun& run = Run();
  if (run.destinationCreated) Files().RemoveFolder(Package().destinationFolder);
  if (run.startMenuFolderCreated) Files().RemoveFolder(Package().startMenuFolder);
  return 1;
}

}  // namespace qinstall
