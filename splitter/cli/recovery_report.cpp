#include "cli/recovery_report.h"

#include <algorithm>

#include "cli/recovery_access.h"
#include "platform/system.h"

namespace parcelo {
namespace {

bool IsVolumeName(const std::string& name) {
  std::string lower = name;
  for (char& c : lower) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return lower.find(".vol") != std::string::npos;
}

// The set by its index file (else its first file) and how many more hold it.
std::string SetName(const RecoverySetState& set) {
  if (set.files.empty()) return "Recovery files";
  std::vector<std::string> files = set.files;
  std::stable_partition(files.begin(), files.end(),
                        [](const std::string& name) { return !IsVolumeName(name); });
  const std::size_t more = files.size() - 1;
  return "Recovery files (" + files.front() +
         (more == 0 ? std::string() : " and " + std::to_string(more) + " more") + ")";
}

}  // namespace

std::string Blocks(std::int64_t count) {
  return std::to_string(count) + (count == 1 ? " block" : " blocks");
}

bool SetCovers(const RecoverySetState& set, const std::string& piece) {
  return std::any_of(set.pieces.begin(), set.pieces.end(), [&](const RecoverySetPiece& p) {
    return EqualIgnoringAsciiCase(p.name, piece);
  });
}

std::vector<RecoverySetState> SetsCovering(const FolderView& folder,
                                           const std::vector<std::string>& pieces,
                                           std::string* unreadable) {
  FolderRecoverySource source(folder);
  std::vector<RecoverySetState> sets;
  for (RecoverySetState& set : FindRecoverySets(source)) {
    if (pieces.empty() || std::any_of(pieces.begin(), pieces.end(), [&](const std::string& piece) {
          return SetCovers(set, piece);
        })) {
      sets.push_back(std::move(set));
    }
  }
  if (unreadable != nullptr) *unreadable = source.unreadable();
  return sets;
}

std::string DescribeRecovery(const RecoverySetState& set) {
  const std::string name = SetName(set);
  if (!set.described) return name + ": " + set.problem + " They cannot repair the pieces.";
  const std::string recovery = Blocks(static_cast<std::int64_t>(set.recovery.size()));
  if (set.Intact()) {
    return name + ": no block is lost; " + recovery + " of recovery data to spare.";
  }
  const std::string lost = Blocks(set.missingBlocks) + " lost or damaged";
  if (set.CanRepair()) {
    return name + ": " + lost + "; the pieces can be repaired, with " + Blocks(set.Spare()) +
           " to spare (parcelo95 join repairs them).";
  }
  return name + ": " + lost + ", " + recovery + " of recovery data; the pieces cannot be "
         "repaired: " + Blocks(-set.Spare()) + " more are needed.";
}

std::string DescribeSetPiece(const RecoverySetPiece& piece) {
  switch (piece.condition) {
    case PieceCondition::Complete:
      return piece.name + ": OK";
    case PieceCondition::Damaged:
      return piece.name + ": damaged (" + std::to_string(piece.badBlocks) + " of " +
             Blocks(piece.blocks) + ")";
    case PieceCondition::Missing:
      return piece.name + ": missing";
  }
  return piece.name;
}

}  // namespace parcelo
