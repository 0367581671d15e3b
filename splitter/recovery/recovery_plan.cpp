#include "recovery/recovery_plan.h"

#include <algorithm>

namespace parcelo {
namespace {

// About this many input blocks over the whole set: fine enough that a bad sector costs a
// small part of a piece, coarse enough that making the recovery data stays quick (its cost
// grows with the number of recovery blocks).
constexpr std::uint64_t kTargetBlocks = 1024;

std::string MiB(std::uint64_t bytes) {
  return std::to_string((bytes + 1024 * 1024 - 1) / (1024 * 1024)) + " MiB";
}

int Digits(std::uint32_t n) {
  int digits = 1;
  for (; n >= 10; n /= 10) ++digits;
  return digits;
}

std::string Padded(std::uint32_t n, int digits) {
  std::string text = std::to_string(n);
  return std::string(digits > int(text.size()) ? digits - text.size() : 0, '0') + text;
}

}  // namespace

std::string RecoveryVolumeName(const std::string& baseName, std::uint32_t firstExponent,
                               std::uint32_t count, int digits) {
  return baseName + ".vol" + Padded(firstExponent, digits) + "+" + Padded(count, digits) +
         ".par2";
}

bool PlanRecovery(const std::vector<std::uint64_t>& pieceSizes, int percent,
                  const std::string& baseName, std::uint64_t memoryLimit, RecoveryPlan* plan,
                  std::string* problem, bool severalPasses, std::uint32_t volumeLimit) {
  if (percent < 1 || percent > 100) {
    *problem = "The recovery data must be from 1 to 100 percent.";
    return false;
  }
  const std::uint64_t pieces = pieceSizes.size();
  const std::uint64_t largest =
      pieces == 0 ? 0 : *std::max_element(pieceSizes.begin(), pieceSizes.end());
  if (largest == 0) {
    *problem = "There is nothing to make recovery data for.";
    return false;
  }
  if (pieces > kMaxInputBlocks) {
    *problem = "Recovery data covers at most " + std::to_string(kMaxInputBlocks) + " pieces.";
    return false;
  }
  // Every piece in the same whole number of blocks, the block a multiple of 4 bytes, so
  // that only the last piece pads its last block much.
  const std::uint64_t perPiece = std::max<std::uint64_t>(
      1, std::min<std::uint64_t>({kTargetBlocks / pieces, kMaxInputBlocks / pieces,
                                  (largest + 3) / 4}));
  const std::uint64_t blockSize = ((largest + perPiece - 1) / perPiece + 3) / 4 * 4;
  std::uint64_t inputBlocks = 0;
  for (std::uint64_t size : pieceSizes) inputBlocks += (size + blockSize - 1) / blockSize;
  // About percent of the blocks, and never fewer than replace percent of the pieces whole:
  // 10 % of ten pieces rebuilds any one of them, though the last be short.
  const std::uint64_t wholePieces = pieces * percent / 100 * ((largest + blockSize - 1) / blockSize);
  const std::uint64_t recoveryBlocks =
      std::min(inputBlocks, std::max((inputBlocks * percent + 99) / 100, wholePieces));
  // Input blocks held to be added in together: a few, within 8 MiB.
  const std::uint64_t held = std::max<std::uint64_t>(
      1, std::min<std::uint64_t>({8, (8u << 20) / blockSize, inputBlocks}));
  // Recovery blocks one pass can hold beside the held slices.
  const std::uint64_t room = memoryLimit / blockSize > held ? memoryLimit / blockSize - held : 0;
  const std::uint64_t memory = (recoveryBlocks + held) * blockSize;
  if (memory > memoryLimit && (!severalPasses || room == 0)) {
    *problem = "The recovery data takes " + MiB(severalPasses ? (1 + held) * blockSize : memory) +
               " of memory, more than the " + MiB(memoryLimit) + " allowed.";
    return false;
  }
  plan->blockSize = blockSize;
  plan->inputBlocks = static_cast<std::uint32_t>(inputBlocks);
  plan->recoveryBlocks = static_cast<std::uint32_t>(recoveryBlocks);
  plan->heldSlices = static_cast<std::uint32_t>(held);
  plan->indexName = baseName + ".par2";
  plan->volumes.clear();
  plan->passes.clear();
  // Files of 1, 2, 4, ... blocks, none larger than a piece's worth, as par2 lays them out:
  // a few blocks' loss needs only a small file. None larger than a pass either.
  const std::uint64_t largestVolume =
      std::min({perPiece, room, volumeLimit == 0 ? room : std::uint64_t(volumeLimit)});
  const int digits = std::max(2, Digits(plan->recoveryBlocks));
  // A pass takes whole files and as many blocks as it holds: a file that would not fit in
  // the pass is cut where the pass ends.
  std::uint32_t first = 0;
  std::uint64_t inPass = 0, largestPass = 0;
  for (std::uint64_t count = 1; first < plan->recoveryBlocks;
       count = std::min(count * 2, largestVolume)) {
    const std::uint32_t take = static_cast<std::uint32_t>(
        std::min<std::uint64_t>({count, plan->recoveryBlocks - first, room - inPass}));
    if (inPass == 0) {
      plan->passes.push_back({static_cast<std::uint32_t>(plan->volumes.size()), 0});
    }
    plan->volumes.push_back({RecoveryVolumeName(baseName, first, take, digits), first, take});
    ++plan->passes.back().volumeCount;
    first += take;
    inPass += take;
    largestPass = std::max(largestPass, inPass);
    if (inPass == room) inPass = 0;
  }
  plan->memory = (largestPass + held) * blockSize;
  return true;
}

}  // namespace parcelo
