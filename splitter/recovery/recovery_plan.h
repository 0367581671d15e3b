// The shape of a set of recovery files for a split: the block size, how many recovery
// blocks, the memory that takes, and the files' names.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace parcelo {

// What the writer may hold unless the caller allows more: the recovery blocks themselves.
// A repair holds no more than this of rebuilt blocks either, taking one more pass over the
// surviving blocks for each group of lost blocks that fits.
constexpr std::uint64_t kRecoveryMemoryDefault = 64u * 1024 * 1024;
// PAR2's limit on input blocks (the number of slice constants).
constexpr std::uint32_t kMaxInputBlocks = 32768;

struct RecoveryVolume {
  std::string name;  // "BASE.vol00+08.par2"
  std::uint32_t firstExponent = 0;
  std::uint32_t count = 0;
};

// Volumes made together by one pass over the pieces' bytes.
struct RecoveryPass {
  std::uint32_t firstVolume = 0;
  std::uint32_t volumeCount = 0;
};

struct RecoveryPlan {
  std::uint64_t blockSize = 0;
  std::uint32_t inputBlocks = 0;     // over all pieces, each piece's last one padded
  std::uint32_t recoveryBlocks = 0;
  std::uint32_t heldSlices = 0;      // input blocks the writer holds before it adds them in
  std::uint64_t memory = 0;          // (recovery blocks of a pass + held slices) x block size:
                                     // what the writer holds while it is fed
  std::vector<RecoveryPass> passes;  // one, unless the plan was allowed more
  std::string indexName;             // "BASE.par2"
  std::vector<RecoveryVolume> volumes;
};

// A plan for pieces of the given sizes whose recovery blocks replace about percent (1 to
// 100) of their blocks, and at least percent of the pieces whole, holding no more than
// memoryLimit. False with *problem when that cannot be. With severalPasses, recovery blocks
// past what the limit holds are made by further passes over the pieces' bytes (a caller that
// can read them again), each within the limit. largestVolume, when not 0, is the most
// recovery blocks one file may hold (so that each fits on a disk).
bool PlanRecovery(const std::vector<std::uint64_t>& pieceSizes, int percent,
                  const std::string& baseName, std::uint64_t memoryLimit, RecoveryPlan* plan,
                  std::string* problem, bool severalPasses = false,
                  std::uint32_t largestVolume = 0);

// "BASE.vol00+08.par2": the file of count recovery blocks from firstExponent; digits is
// the width both numbers are given.
std::string RecoveryVolumeName(const std::string& baseName, std::uint32_t firstExponent,
                               std::uint32_t count, int digits);

}  // namespace parcelo
