// Recovery sets found in a folder: which pieces they cover, what state each piece is in,
// whether the set has the blocks to rebuild what is lost, and the rebuilding itself.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "recovery/md5.h"
#include "recovery/par2_packets.h"
#include "recovery/recovery_files.h"
#include "recovery/recovery_plan.h"

namespace parcelo {

enum class PieceCondition { Complete, Damaged, Missing };

struct RecoverySetPiece {
  std::string name;     // as the set names it
  std::string foundAs;  // the folder's file (its name may differ in case); empty if missing
  std::uint64_t size = 0;  // as described
  PieceCondition condition = PieceCondition::Missing;
  std::uint32_t blocks = 0;
  std::uint32_t badBlocks = 0;
  // What the rebuilding works from.
  Par2FileDescription description;
  Par2SliceChecksums checksums;
  std::vector<bool> goodBlocks;
  std::uint32_t firstBlock = 0;  // its first block's index in the set's order
};

struct RecoveryBlockAt {
  std::string file;
  std::uint64_t offset = 0;  // of the block's data
  std::uint32_t exponent = 0;
};

struct RecoverySetState {
  Md5Digest id{};
  std::uint64_t blockSize = 0;
  std::string creator;               // shown when the set cannot be used
  std::vector<std::string> files;    // the folder's files holding its packets
  std::vector<RecoverySetPiece> pieces;  // in the set's order
  // The main packet and every piece's description and slice checksums were found; without
  // them the pieces cannot be checked, and problem says what is lacking.
  bool described = false;
  std::string problem;
  std::uint32_t missingBlocks = 0;   // the pieces' blocks that are lost or damaged
  std::vector<RecoveryBlockAt> recovery;  // sound recovery blocks, one per exponent

  bool Intact() const { return described && missingBlocks == 0; }
  bool CanRepair() const { return described && recovery.size() >= missingBlocks; }
  // Recovery blocks to spare (at least 0), or when negative how many are lacking.
  std::int64_t Spare() const {
    return static_cast<std::int64_t>(recovery.size()) - static_cast<std::int64_t>(missingBlocks);
  }
};

// Every set whose packets are in the folder's files (found by their content, whatever the
// files are named), with its pieces checked block by block.
std::vector<RecoverySetState> FindRecoverySets(RecoverySource& folder);

// The memory a repair of the set holds: the lost blocks it rebuilds together (as many as
// memoryLimit holds, at least one), one more block, and the matrix that solves for them.
std::uint64_t RepairMemory(const RecoverySetState& set,
                           std::uint64_t memoryLimit = kRecoveryMemoryDefault);

// Writes every piece of the set that is not complete, rebuilt, through out under the name
// it was found as (or the set's name for it), and lists them in *rebuilt. The lost blocks
// are rebuilt in groups within memoryLimit, each group one more pass over the recovery
// blocks and the good blocks. False with *problem when the set cannot repair them or a file
// cannot be read or written. Nothing is written when the set lacks blocks; otherwise pieces
// finished before a later group fails stay written, each checked whole first.
bool RepairRecoverySet(RecoverySource& folder, const RecoverySetState& set, RecoverySink& out,
                       std::vector<std::string>* rebuilt, std::string* problem,
                       std::uint64_t memoryLimit = kRecoveryMemoryDefault);

}  // namespace parcelo
