// The command line's checksum file of a split: the CRC-32 of every piece, taken from the
// run's buffer as the bytes pass, written as <piece base>.SFV where the join file goes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "checksums/sfv_file.h"
#include "engine/split_checksums.h"

namespace parcelo {

class PieceChecksums : public SplitChecksums, private ChunkTap {
 public:
  // write false (--no-checksums): nothing is computed or written, but a checksum file of an
  // earlier run that would not match the new pieces still goes.
  explicit PieceChecksums(bool write) : write_(write) {}

  ChunkTap* Tap() override { return write_ ? this : nullptr; }
  bool ClearStale(const std::string& folder, bool backup) override;
  std::string FileName() override;
  void PieceStarted(const std::string& pieceName) override;
  std::uint32_t RoomNeeded() override;
  int Write() override;

  // The file's content as far as the run has come.
  SfvFile Content() const;

 private:
  void Seen(const void* data, std::uint32_t count) override;

  struct Piece {
    std::string name;
    std::uint32_t crc = 0;
    std::uint32_t size = 0;
  };
  bool write_;
  std::vector<Piece> pieces_;
};

}  // namespace parcelo
