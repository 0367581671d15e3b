// The recovery sets beside a split's pieces as parcelo95 verify and join tell of them.
#pragma once

#include <string>
#include <vector>

#include "cli/folder_view.h"
#include "recovery/recovery_reader.h"

namespace parcelo {

// The sets whose packets are in the folder's files and that cover any of pieces (names as
// a join file or checksum file gives them, in any case); all the folder's sets when pieces
// is empty. *unreadable: "NAME (reason)" of a file that could not be looked into, or empty.
std::vector<RecoverySetState> SetsCovering(const FolderView& folder,
                                           const std::vector<std::string>& pieces,
                                           std::string* unreadable = nullptr);

// Whether the set describes a piece of that name, in any case.
bool SetCovers(const RecoverySetState& set, const std::string& piece);

// "Recovery files (HOLIDA~1.par2 and 7 more): ..." whether the set can repair its pieces
// and with how many blocks to spare, or how many blocks it lacks.
std::string DescribeRecovery(const RecoverySetState& set);

// "NAME: OK", "NAME: damaged (3 of 102 blocks)", "NAME: missing": a piece as the set finds it.
std::string DescribeSetPiece(const RecoverySetPiece& piece);

// "N blocks" / "1 block".
std::string Blocks(std::int64_t count);

}  // namespace parcelo
