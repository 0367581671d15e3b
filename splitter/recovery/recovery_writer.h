// Recovery files made as a split's bytes pass: fed the pieces' bytes once, in order and in
// chunks of any size, it keeps the recovery blocks and the checksums, and at the end writes
// the index file and the recovery files of the plan.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "recovery/md5.h"
#include "recovery/par2_packets.h"
#include "recovery/recovery_files.h"
#include "recovery/recovery_plan.h"

namespace parcelo {

// A piece as the set will describe it. The order of a set's blocks follows the pieces'
// ids, which hash each piece's first 16 KiB, so these are wanted before its bytes come:
// the caller reads them from the source at the piece's start.
struct RecoveryPieceStart {
  std::string name;
  std::uint64_t size = 0;
  Md5Digest hash16k{};  // MD5 of the piece's first 16 KiB (all of it when smaller)
};

// The MD5 of a piece's first bytes, as RecoveryPieceStart wants it; head holds at least
// the first 16 KiB of the piece or the whole of it.
Md5Digest PieceStartHash(const void* head, std::size_t headSize);
constexpr std::size_t kPieceStartSize = 16 * 1024;

// The bytes of every file of the plan (the index file first) over pieces of those names
// and sizes, for a disk's room to be known before the set is made.
std::vector<std::uint64_t> RecoveryFileSizes(const RecoveryPlan& plan,
                                             const std::vector<RecoveryPieceStart>& pieces,
                                             const std::string& creator);

class RecoveryWriter {
 public:
  // pieces in the split's order, their sizes those of the plan. It makes the volumes of one
  // of the plan's passes, and the index file with the first.
  RecoveryWriter(const RecoveryPlan& plan, std::vector<RecoveryPieceStart> pieces,
                 std::string creator, std::size_t pass = 0);


  // The next bytes of the pieces, across piece ends.
  void Feed(const void* data, std::size_t size);

  // Writes the index file and the recovery files through sink. False with *problem when a
  // file could not be written or the bytes fed were not the pieces described (too few, too
  // many, other first bytes).
  bool Finish(RecoverySink& sink, std::string* problem);

 private:
  struct Piece {
    RecoveryPieceStart start;
    Md5Digest fileId{};
    std::uint32_t firstBlock = 0;  // its first slice's index in the set's order
    Md5 whole;
    Md5 head;
    Md5Digest hash{};  // of the whole piece, once fed
    Par2SliceChecksums slices;
  };

  void AddHeld();
  void EndSlice();
  std::string CriticalPackets() const;
  bool WriteFile(RecoverySink& sink, const std::string& name, std::uint32_t firstExponent,
                 std::uint32_t count, std::string* problem);

  RecoveryPlan plan_;
  std::string creator_;
  std::vector<Piece> pieces_;  // the split's order
  std::vector<std::size_t> order_;  // the set's order: indexes into pieces_
  Md5Digest setId_{};
  RecoveryPass pass_;
  std::uint32_t firstExponent_ = 0;  // of the pass's first recovery block
  std::uint32_t count_ = 0;          // the pass's recovery blocks
  std::vector<std::uint8_t> recovery_;  // the pass's blocks, one after the other
  std::string tail_;  // what every file ends with: the critical packets and the creator's
  // Slices held until a few are there, so that each recovery block is gone through once
  // for all of them rather than once for each: heldSlices slots, and the set's index of
  // the slice in each filled one.
  std::vector<std::uint8_t> held_;
  std::vector<std::uint32_t> heldIndexes_;
  // Where the bytes have come to.
  std::size_t piece_ = 0;
  std::uint64_t pieceOffset_ = 0;
  std::uint32_t slice_ = 0;
  std::uint64_t sliceOffset_ = 0;
  Md5 sliceMd5_;
  std::uint32_t sliceCrc_ = 0;
  bool overrun_ = false;
};

}  // namespace parcelo
