// Before a join: the pieces of its join file that a recovery set beside them finds lost or
// damaged are rebuilt from it, so that the join reads whole pieces.
#pragma once

#include <string>
#include <vector>

#include "cli/folder_view.h"
#include "cli/recovery_access.h"

namespace parcelo {

// Rebuilds what a set covering pieces lacks. With writeBack the rebuilt pieces replace the
// pieces; else sink keeps them under names of their own (sink->made()), for the join to read
// in their place, the pieces left as they are. Says on standard error which it rebuilt. False after
// its message (nothing written) when the join must not go on.
bool RepairBeforeJoin(const FolderView& folder, const std::vector<std::string>& pieces,
                      bool writeBack, FolderRecoverySink* sink);

}  // namespace parcelo
