// Checksums of a run's pieces, kept as the bytes pass and written beside the join file. The
// command line supplies them; the Windows program supplies none, and so neither computes
// nor writes any.
#pragma once

#include <cstdint>
#include <string>

#include "platform/system.h"

namespace parcelo {

class SplitChecksums {
 public:
  // What sees each chunk's bytes; nullptr when nothing is computed.
  virtual ChunkTap* Tap() = 0;
  // Before the first piece goes into folder (and into each disk when spanning): a checksum
  // file of an earlier run there describes pieces that this run writes over. False after
  // its message, when it stays: the run ends. In the backup folder that only turns backups
  // off.
  virtual bool ClearStale(const std::string& folder, bool backup) = 0;
  // The checksum file's name; empty when none is written.
  virtual std::string FileName() = 0;
  // The piece the next bytes belong to.
  virtual void PieceStarted(const std::string& pieceName) = 0;
  // Bytes the checksum file takes where the join file goes; 0 when none is written.
  virtual std::uint32_t RoomNeeded() = 0;
  // Writes the checksum file into the destination and, while backups are on, into the
  // backup folder, before the join file. 1 when the main one was written whole, else 0
  // after its message.
  virtual int Write() = 0;
  // What goes after the join file (spanning: onto a disk of its own); 1 when written or
  // nothing is, else 0 after its message.
  virtual int WriteAfterJoin() { return 1; }

 protected:
  ~SplitChecksums() = default;
};

}  // namespace parcelo
