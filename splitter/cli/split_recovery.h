// The command line's recovery files of a split (--recovery PERCENT): a PAR2 set over the
// pieces, made from the run's buffer as the bytes pass, beside the pieces and the checksum
// file; when spanning, on one more disk after the last piece.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/split_checksums.h"
#include "recovery/recovery_plan.h"
#include "recovery/recovery_writer.h"

namespace parcelo {

class SplitRecovery : public SplitChecksums, private ChunkTap {
 public:
  // checksums: the checksum file's own, which this passes everything on to. percent 0: no
  // set is made, but one of an earlier run over pieces that this run writes over still goes.
  SplitRecovery(SplitChecksums* checksums, int percent) : checksums_(checksums), percent_(percent) {}

  ChunkTap* Tap() override { return percent_ > 0 ? this : checksums_->Tap(); }
  bool ClearStale(const std::string& folder, bool backup) override;
  std::string FileName() override { return checksums_->FileName(); }
  void PieceStarted(const std::string& pieceName) override;
  std::uint32_t RoomNeeded() override { return checksums_->RoomNeeded(); }
  int Write() override;
  int WriteAfterJoin() override;

 private:
  void Seen(const void* data, std::uint32_t count) override;
  bool Plan(const std::vector<std::uint64_t>& sizes, std::uint32_t volumeLimit);
  bool PieceStarts(std::vector<RecoveryPieceStart>* starts);
  // Every pass of the plan from first on, each fed from the source read once more, its files
  // written into folder (and into the backup folder with backup); 1, else 0 after the message.
  int WritePasses(std::size_t first, const std::string& folder, bool backup);
  int WriteSet(RecoveryWriter& writer, const std::string& folder, bool backup);
  bool WaitForRecoveryDisk(const std::string& root, std::uint64_t bytes, bool first);
  int EndCancelled();

  SplitChecksums* checksums_;
  int percent_;
  std::vector<std::string> names_;
  std::vector<std::uint64_t> sizes_;  // as the bytes came
  RecoveryPlan plan_;
  std::unique_ptr<RecoveryWriter> writer_;  // the first pass, fed as the bytes pass
  // Spanning: waits for a disk with room for the named file before it is made.
  std::function<bool(const std::string&)> roomFor_;
};

}  // namespace parcelo
