// What a run settles in its folders before the first piece: a join file name that can be a
// file there, piece names that no other source's join file there reads, and locks on both
// names so that a second run at the same time fails at once.
#pragma once

#include <string>

namespace parcelo {

// Settles splitJob.joinFileName; where the System makes up the 8.3 names and the source's
// is one (shortNameIsMadeUp), gives the pieces the next free "~N" tail when another source's
// join file reads the first choice; notes this source's own join files that name the
// pieces; takes the locks; shows the warnings about names cut short. 1 when the run may go
// on, 0 after its message (the caller ends the run).
int ClaimDestination(bool shortNameIsMadeUp);

// Lets go of the locks; the run's writing is over.
void ReleaseDestination();

// Before pieceName is created in folder (the destination or the backup folder). On a disk
// just inserted (newDisk), refuses a piece that another source's join file there reads.
// Removes this source's join file that names the pieces before the first of them is
// written over. False after its message: the caller ends the run or, for a backup, turns
// backups off.
bool ClearWayForPiece(const std::string& folder, const std::string& pieceName, bool newDisk,
                      bool backup = false);

}  // namespace parcelo
