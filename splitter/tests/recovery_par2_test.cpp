// Both ways with par2 (Debian's par2cmdline), the peer that reads and writes the same
// format: it checks and repairs from our sets, we from its, and for the same block size its
// packets are ours byte for byte.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "recovery/par2_packets.h"
#include "recovery/recovery_reader.h"
#include "recovery_folder.h"

namespace fs = std::filesystem;

namespace parcelo {
namespace {

using RecoveryPar2Test = RecoveryTest;

std::string PieceList(const std::vector<std::string>& pieces) {
  std::string list;
  for (const std::string& piece : pieces) list += " '" + piece + "'";
  return list;
}

// Every packet of the files but the creator's, by its type and what it is about (file id or
// exponent), as bytes.
std::map<std::string, std::string> Packets(const std::vector<std::string>& contents) {
  std::map<std::string, std::string> packets;
  for (const std::string& bytes : contents) {
    for (std::size_t at = 0; at + kPar2HeaderSize <= bytes.size();) {
      Par2Header header;
      if (!ParsePar2Header(reinterpret_cast<const std::uint8_t*>(bytes.data() + at), &header)) {
        ADD_FAILURE() << "no packet at " << at;
        break;
      }
      const std::string packet = bytes.substr(at, static_cast<std::size_t>(header.length));
      at += static_cast<std::size_t>(header.length);
      if (header.type == Par2PacketType::Creator) continue;
      const std::size_t about = header.type == Par2PacketType::RecoverySlice ? 4
                                : header.type == Par2PacketType::Main       ? 0
                                                                            : 16;
      packets[packet.substr(48, 16) + packet.substr(64, about)] = packet;
    }
  }
  return packets;
}

std::vector<std::string> Par2Files(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) {
    const std::string name = entry.path().filename().string();
    if (name.size() > 5 && name.substr(name.size() - 5) == ".par2") names.push_back(name);
  }
  return names;
}

TEST_F(RecoveryPar2Test, Par2VerifiesAndRepairsOurSet) {
  REQUIRE_PAR2();
  MakePieces(10, 100000, 54321);
  WriteSet(20);  // a piece and a block
  std::string said;
  ASSERT_EQ(Shell("par2 verify HOLIDA~1.par2", &said), 0) << said;
  const std::string lost = Read(pieces_[4]);
  const std::string damaged = Read(pieces_[7]);
  fs::remove(Path(pieces_[4]));
  std::string bad = damaged;
  bad[12345] ^= 0x10;
  Write(pieces_[7], bad);
  EXPECT_NE(Shell("par2 verify HOLIDA~1.par2", &said), 0) << said;
  ASSERT_EQ(Shell("par2 repair HOLIDA~1.par2", &said), 0) << said;
  EXPECT_EQ(Read(pieces_[4]), lost);
  EXPECT_EQ(Read(pieces_[7]), damaged);
}

TEST_F(RecoveryPar2Test, WeRepairFromPar2sSet) {
  REQUIRE_PAR2();
  MakePieces(10, 100000, 54321);
  std::string said;
  ASSERT_EQ(Shell("par2 create -q -r15 -n3 SET.par2" + PieceList(pieces_), &said), 0) << said;
  fs::rename(Path("SET.par2"), Path("SET.IDX"));  // found by content, not by name
  const std::string lost = Read(pieces_[0]);
  const std::string damaged = Read(pieces_[9]);
  fs::remove(Path(pieces_[0]));
  std::string bad = damaged;
  bad[bad.size() - 1] ^= 0x01;
  Write(pieces_[9], bad);
  FolderSource folder(dir_);
  const std::vector<RecoverySetState> sets = FindRecoverySets(folder);
  ASSERT_EQ(sets.size(), 1u);
  const RecoverySetState& set = sets[0];
  ASSERT_TRUE(set.described) << set.problem;
  EXPECT_NE(set.creator.find("par2cmdline"), std::string::npos) << set.creator;
  ASSERT_EQ(set.pieces.size(), 10u);
  int complete = 0;
  for (const RecoverySetPiece& piece : set.pieces) {
    if (piece.condition == PieceCondition::Complete) ++complete;
    if (piece.name == pieces_[0]) {
      EXPECT_EQ(piece.condition, PieceCondition::Missing);
    }
    if (piece.name == pieces_[9]) {
      EXPECT_EQ(piece.condition, PieceCondition::Damaged);
    }
  }
  EXPECT_EQ(complete, 8);
  ASSERT_TRUE(set.CanRepair()) << set.Spare();
  FolderSink sink(dir_);
  std::vector<std::string> rebuilt;
  std::string problem;
  ASSERT_TRUE(RepairRecoverySet(folder, set, sink, &rebuilt, &problem)) << problem;
  EXPECT_EQ(Read(pieces_[0]), lost);
  EXPECT_EQ(Read(pieces_[9]), damaged);
  fs::rename(Path("SET.IDX"), Path("SET.par2"));
  EXPECT_EQ(Shell("par2 verify SET.par2", &said), 0) << said;
}

// Two of ten pieces lost with 10 %: how many blocks are lacking.
TEST_F(RecoveryPar2Test, SaysHowManyBlocksPar2sSetLacks) {
  REQUIRE_PAR2();
  MakePieces(10, 100000, 100000);
  std::string said;
  ASSERT_EQ(Shell("par2 create -q -r10 -b1000 SET.par2" + PieceList(pieces_), &said), 0) << said;
  fs::remove(Path(pieces_[2]));
  fs::remove(Path(pieces_[6]));
  FolderSource folder(dir_);
  const std::vector<RecoverySetState> sets = FindRecoverySets(folder);
  ASSERT_EQ(sets.size(), 1u);
  EXPECT_EQ(sets[0].missingBlocks, 200u);
  EXPECT_EQ(sets[0].recovery.size(), 100u);
  EXPECT_EQ(sets[0].Spare(), -100);
  EXPECT_FALSE(sets[0].CanRepair());
}

TEST_F(RecoveryPar2Test, OurPacketsArePar2sForTheSameBlockSize) {
  REQUIRE_PAR2();
  MakePieces(6, 70000, 3333);
  const RecoveryPlan plan = WriteSet(20);
  std::vector<std::string> ours;
  for (const std::string& name : Par2Files(dir_)) {
    ours.push_back(Read(name));
    fs::remove(Path(name));
  }
  std::string said;
  ASSERT_EQ(Shell("par2 create -q -s" + std::to_string(plan.blockSize) + " -c" +
                      std::to_string(plan.recoveryBlocks) + " SET.par2" + PieceList(pieces_),
                  &said),
            0)
      << said;
  std::vector<std::string> theirs;
  for (const std::string& name : Par2Files(dir_)) theirs.push_back(Read(name));
  const std::map<std::string, std::string> ourPackets = Packets(ours);
  const std::map<std::string, std::string> theirPackets = Packets(theirs);
  EXPECT_EQ(ourPackets.size(), 1 + 2 * pieces_.size() + plan.recoveryBlocks);
  ASSERT_EQ(ourPackets.size(), theirPackets.size());
  for (const auto& packet : ourPackets) {
    const auto their = theirPackets.find(packet.first);
    ASSERT_NE(their, theirPackets.end());
    EXPECT_TRUE(their->second == packet.second) << "packet of type " << packet.first.substr(8, 8);
  }
}

}  // namespace
}  // namespace parcelo
