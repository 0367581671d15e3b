// Recovery sets written and read by our own code on real files: the plan's shape, every
// piece's state after loss and damage, the repair, and what is refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <random>

#include "recovery/recovery_reader.h"
#include "recovery/recovery_writer.h"
#include "recovery_folder.h"

namespace fs = std::filesystem;

namespace parcelo {
namespace {

std::uint64_t Blocks(std::uint64_t size, std::uint64_t blockSize) {
  return (size + blockSize - 1) / blockSize;
}

TEST(RecoveryPlanTest, BlocksFitThePiecesAndTheMemory) {
  const struct {
    int pieces;
    std::uint64_t size, last;
    int percent;
  } cases[] = {
      {10, 1000000, 1000000, 10}, {10, 1457664, 321, 10}, {737, 1457664, 1000, 5},
      {3, 1001, 999, 50},         {1, 5, 5, 100},         {2, 97612894, 97612894, 5},
      {40000 / 2, 7, 7, 1},
  };
  for (const auto& c : cases) {
    std::vector<std::uint64_t> sizes(c.pieces, c.size);
    sizes.back() = c.last;
    RecoveryPlan plan;
    std::string problem;
    ASSERT_TRUE(PlanRecovery(sizes, c.percent, "HOLIDA~1", kRecoveryMemoryDefault, &plan, &problem))
        << c.pieces << " " << problem;
    EXPECT_EQ(plan.blockSize % 4, 0u);
    std::uint64_t blocks = 0;
    for (std::uint64_t size : sizes) blocks += Blocks(size, plan.blockSize);
    EXPECT_EQ(plan.inputBlocks, blocks);
    EXPECT_LE(plan.inputBlocks, kMaxInputBlocks);
    EXPECT_GE(plan.recoveryBlocks, (blocks * c.percent + 99) / 100);
    EXPECT_LE(plan.recoveryBlocks, blocks);
    // Any percent of the pieces can be lost whole.
    EXPECT_GE(plan.recoveryBlocks, c.pieces * c.percent / 100 * Blocks(c.size, plan.blockSize));
    EXPECT_GE(plan.heldSlices, 1u);
    EXPECT_LE(plan.heldSlices * plan.blockSize, std::max<std::uint64_t>(8u << 20, plan.blockSize));
    EXPECT_EQ(plan.memory, (plan.recoveryBlocks + plan.heldSlices) * plan.blockSize);
    EXPECT_LE(plan.memory, kRecoveryMemoryDefault);
    // Little padding: the full pieces fill their blocks but for under 4 bytes each.
    EXPECT_LT(Blocks(c.size, plan.blockSize) * plan.blockSize - c.size,
              4 * Blocks(c.size, plan.blockSize));
    EXPECT_EQ(plan.indexName, "HOLIDA~1.par2");
    std::uint32_t next = 0;
    for (const RecoveryVolume& volume : plan.volumes) {
      EXPECT_EQ(volume.firstExponent, next);
      EXPECT_GE(volume.count, 1u);
      EXPECT_LE(volume.count, Blocks(c.size, plan.blockSize));
      next += volume.count;
    }
    EXPECT_EQ(next, plan.recoveryBlocks);
  }
}

TEST(RecoveryPlanTest, NamesTheFilesAsPar2Does) {
  RecoveryPlan plan;
  std::string problem;
  ASSERT_TRUE(PlanRecovery({400000, 400000, 400000, 400000, 400000, 400000, 400000, 400000,
                            400000, 400000},
                           10, "HOLIDA~1", kRecoveryMemoryDefault, &plan, &problem));
  ASSERT_EQ(plan.recoveryBlocks, 102u);
  std::vector<std::string> names;
  for (const RecoveryVolume& volume : plan.volumes) names.push_back(volume.name);
  EXPECT_EQ(names, (std::vector<std::string>{
                       "HOLIDA~1.vol000+001.par2", "HOLIDA~1.vol001+002.par2",
                       "HOLIDA~1.vol003+004.par2", "HOLIDA~1.vol007+008.par2",
                       "HOLIDA~1.vol015+016.par2", "HOLIDA~1.vol031+032.par2",
                       "HOLIDA~1.vol063+039.par2"}));
  EXPECT_EQ(RecoveryVolumeName("B", 0, 8, 2), "B.vol00+08.par2");
}

TEST(RecoveryPlanTest, RefusesWhatCannotBeMade) {
  const struct {
    std::vector<std::uint64_t> sizes;
    int percent;
    std::uint64_t memory;
    std::string problem;
  } cases[] = {
      {{1000}, 0, kRecoveryMemoryDefault, "The recovery data must be from 1 to 100 percent."},
      {{1000}, 101, kRecoveryMemoryDefault, "The recovery data must be from 1 to 100 percent."},
      {{}, 10, kRecoveryMemoryDefault, "There is nothing to make recovery data for."},
      {{0, 0}, 10, kRecoveryMemoryDefault, "There is nothing to make recovery data for."},
      {std::vector<std::uint64_t>(32769, 10), 10, kRecoveryMemoryDefault,
       "Recovery data covers at most 32768 pieces."},
      // 10 % of 1 GiB in ten pieces: 103 MiB of recovery blocks and 7 held.
      {std::vector<std::uint64_t>(10, 107374183), 10, kRecoveryMemoryDefault,
       "The recovery data takes 110 MiB of memory, more than the 64 MiB allowed."},
  };
  for (const auto& c : cases) {
    RecoveryPlan plan;
    std::string problem;
    EXPECT_FALSE(PlanRecovery(c.sizes, c.percent, "B", c.memory, &plan, &problem));
    EXPECT_EQ(problem, c.problem);
  }
  RecoveryPlan plan;
  std::string problem;
  EXPECT_TRUE(PlanRecovery(std::vector<std::uint64_t>(10, 107374183), 10, "B",
                           128u * 1024 * 1024, &plan, &problem));
}

using RecoverySetTest = RecoveryTest;

const RecoverySetState* OnlySet(const std::vector<RecoverySetState>& sets) {
  EXPECT_EQ(sets.size(), 1u);
  return sets.size() == 1 ? &sets[0] : nullptr;
}

TEST_F(RecoverySetTest, FindsAnIntactSetWhateverItsFilesAreNamed) {
  MakePieces(4, 30000, 12345);
  const RecoveryPlan plan = WriteSet(25);
  fs::rename(Path("HOLIDA~1.par2"), Path("INDEX.DAT"));
  fs::rename(Path(plan.volumes.back().name), Path("OTHER"));
  FolderSource folder(dir_);
  const std::vector<RecoverySetState> sets = FindRecoverySets(folder);
  const RecoverySetState* set = OnlySet(sets);
  ASSERT_NE(set, nullptr);
  EXPECT_TRUE(set->described) << set->problem;
  EXPECT_TRUE(set->Intact());
  EXPECT_EQ(set->blockSize, plan.blockSize);
  EXPECT_EQ(set->recovery.size(), plan.recoveryBlocks);
  EXPECT_EQ(set->Spare(), plan.recoveryBlocks);
  EXPECT_EQ(set->creator, "Created by parcelo95 tests");
  ASSERT_EQ(set->pieces.size(), 4u);
  for (const RecoverySetPiece& piece : set->pieces) {
    EXPECT_EQ(piece.condition, PieceCondition::Complete) << piece.name;
    EXPECT_EQ(piece.foundAs, piece.name);
  }
  EXPECT_EQ(set->files.size(), plan.volumes.size() + 1);
}

// The bytes come in chunks of whatever size the split's buffer has: the files do not change.
TEST_F(RecoverySetTest, WritesTheSameFilesFedInAnyChunks) {
  MakePieces(3, 20001, 777);
  const RecoveryPlan plan = WriteSet(40, 1);
  std::vector<std::string> names = {plan.indexName};
  for (const RecoveryVolume& volume : plan.volumes) names.push_back(volume.name);
  std::vector<std::string> byBytes;
  for (const std::string& name : names) byBytes.push_back(Read(name));
  WriteSet(40, 1 << 20);
  for (std::size_t i = 0; i < names.size(); ++i) EXPECT_EQ(Read(names[i]), byBytes[i]) << names[i];
}

// Within the default memory the lost blocks are rebuilt in one pass; within less, in groups
// that fit it, a group of two and a group of one block each straddling pieces.
TEST_F(RecoverySetTest, RepairsLostDamagedAndCutPieces) {
  const std::string all = MakePieces(10, 50000, 20000);
  const RecoveryPlan plan = WriteSet(30);
  std::vector<std::string> original;
  for (const std::string& piece : pieces_) original.push_back(Read(piece));
  const struct {
    std::uint64_t memory;
    std::uint64_t group;  // lost blocks rebuilt by each pass
  } cases[] = {{kRecoveryMemoryDefault, 0}, {3 * plan.blockSize, 2}, {1, 1}};
  std::uint64_t onePassRead = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.memory);
    for (std::size_t i = 0; i < pieces_.size(); ++i) Write(pieces_[i], original[i]);
    fs::remove(Path("holida~1.007"));
    fs::remove(Path(pieces_[2]));
    std::string damaged = original[5];
    damaged[777] ^= 0x40;
    damaged[40000] ^= 0x01;
    Write(pieces_[5], damaged);
    Write(pieces_[9], original[9].substr(0, 15000));  // cut short
    fs::rename(Path(pieces_[7]), Path("holida~1.007"));  // as a FAT disk may give the name
    FolderSource folder(dir_);
    std::vector<RecoverySetState> sets = FindRecoverySets(folder);
    const RecoverySetState* set = OnlySet(sets);
    ASSERT_NE(set, nullptr);
    std::map<std::string, PieceCondition> conditions;
    for (const RecoverySetPiece& piece : set->pieces) conditions[piece.name] = piece.condition;
    EXPECT_EQ(conditions[pieces_[2]], PieceCondition::Missing);
    EXPECT_EQ(conditions[pieces_[5]], PieceCondition::Damaged);
    EXPECT_EQ(conditions[pieces_[9]], PieceCondition::Damaged);
    EXPECT_EQ(conditions[pieces_[7]], PieceCondition::Complete);
    EXPECT_EQ(conditions[pieces_[0]], PieceCondition::Complete);
    ASSERT_TRUE(set->CanRepair()) << set->Spare();
    ASSERT_GT(set->missingBlocks, 3u);
    const std::uint64_t matrix = 4ull * set->missingBlocks * set->missingBlocks;
    const std::uint64_t group = c.group == 0 ? set->missingBlocks : c.group;
    EXPECT_EQ(RepairMemory(*set, c.memory), (group + 1) * plan.blockSize + matrix);

    FolderSink sink(dir_);
    std::vector<std::string> rebuilt;
    std::string problem;
    folder.bytesRead = 0;
    ASSERT_TRUE(RepairRecoverySet(folder, *set, sink, &rebuilt, &problem, c.memory)) << problem;
    std::sort(rebuilt.begin(), rebuilt.end());  // they come in the set's order
    EXPECT_EQ(rebuilt, (std::vector<std::string>{pieces_[2], pieces_[5], pieces_[9]}));
    for (int i : {2, 5, 9}) EXPECT_TRUE(Read(pieces_[i]) == original[i]) << pieces_[i];
    EXPECT_TRUE(Read("holida~1.007") == original[7]);
    // Each pass reads the recovery blocks and the good blocks once more.
    const std::uint64_t passes = (set->missingBlocks + group - 1) / group;
    if (c.group == 0) onePassRead = folder.bytesRead;
    EXPECT_GE(folder.bytesRead, passes * (onePassRead * 3 / 4)) << passes;
    sets = FindRecoverySets(folder);
    ASSERT_EQ(sets.size(), 1u);
    EXPECT_TRUE(sets[0].Intact());
  }
}

TEST_F(RecoverySetTest, SaysHowManyBlocksAreLackingAndWritesNothing) {
  MakePieces(10, 40000, 40000);
  const RecoveryPlan plan = WriteSet(10);
  fs::remove(Path(pieces_[3]));
  fs::remove(Path(pieces_[8]));
  FolderSource folder(dir_);
  const std::vector<RecoverySetState> sets = FindRecoverySets(folder);
  const RecoverySetState* set = OnlySet(sets);
  ASSERT_NE(set, nullptr);
  const std::uint32_t perPiece = static_cast<std::uint32_t>(Blocks(40000, plan.blockSize));
  EXPECT_EQ(set->missingBlocks, 2 * perPiece);
  EXPECT_FALSE(set->CanRepair());
  EXPECT_EQ(set->Spare(), std::int64_t(plan.recoveryBlocks) - 2 * perPiece);
  EXPECT_LT(set->Spare(), 0);
  for (std::uint64_t memory : {kRecoveryMemoryDefault, std::uint64_t(2 * plan.blockSize)}) {
    FolderSink sink(dir_);
    std::vector<std::string> rebuilt;
    std::string problem;
    EXPECT_FALSE(RepairRecoverySet(folder, *set, sink, &rebuilt, &problem, memory));
    EXPECT_EQ(problem, std::to_string(-set->Spare()) + " more recovery blocks are needed.");
    EXPECT_TRUE(sink.created.empty());
    EXPECT_FALSE(fs::exists(Path(pieces_[3])));
  }
}

// A damaged packet is passed over; the rest of its file still counts.
TEST_F(RecoverySetTest, PassesOverDamagedRecoveryBlocks) {
  MakePieces(5, 30000, 30000);
  const RecoveryPlan plan = WriteSet(20);
  const RecoveryVolume& volume = plan.volumes.back();
  ASSERT_GE(volume.count, 2u);
  std::string bytes = Read(volume.name);
  bytes[100] ^= 1;  // in the first recovery block's data
  Write(volume.name, bytes);
  std::string index = Read(plan.indexName);
  index[70] ^= 1;  // the index file's main packet
  Write(plan.indexName, index);
  const std::string original = Read(pieces_[1]);
  std::string damaged = original;
  damaged[5] ^= 2;
  Write(pieces_[1], damaged);
  FolderSource folder(dir_);
  const std::vector<RecoverySetState> sets = FindRecoverySets(folder);
  const RecoverySetState* set = OnlySet(sets);
  ASSERT_NE(set, nullptr);
  EXPECT_TRUE(set->described) << set->problem;
  EXPECT_EQ(set->recovery.size(), plan.recoveryBlocks - 1);
  FolderSink sink(dir_);
  std::vector<std::string> rebuilt;
  std::string problem;
  ASSERT_TRUE(RepairRecoverySet(folder, *set, sink, &rebuilt, &problem)) << problem;
  EXPECT_EQ(Read(pieces_[1]), original);
}

TEST_F(RecoverySetTest, RefusesBytesThatAreNotThePiecesDescribed) {
  MakePieces(2, 20000, 20000);
  RecoveryPlan plan;
  std::string problem;
  ASSERT_TRUE(PlanRecovery(sizes_, 50, "HOLIDA~1", kRecoveryMemoryDefault, &plan, &problem));
  const std::string first = Read(pieces_[0]), second = Read(pieces_[1]);
  std::vector<RecoveryPieceStart> starts = {
      {pieces_[0], first.size(), PieceStartHash(first.data(), first.size())},
      {pieces_[1], second.size(), PieceStartHash(second.data(), second.size())}};
  {
    RecoveryWriter writer(plan, starts, "t");
    writer.Feed(first.data(), first.size());
    FolderSink sink(dir_);
    EXPECT_FALSE(writer.Finish(sink, &problem));
    EXPECT_EQ(problem, "The pieces' bytes were not as many as their sizes.");
    EXPECT_TRUE(sink.created.empty());
  }
  {
    RecoveryWriter writer(plan, starts, "t");
    writer.Feed(first.data(), first.size());
    std::string other = second;
    other[100] ^= 1;
    writer.Feed(other.data(), other.size());
    FolderSink sink(dir_);
    EXPECT_FALSE(writer.Finish(sink, &problem));
    EXPECT_EQ(problem, "The first bytes of HOLIDA~1.001 are not those it was described with.");
  }
  {
    RecoveryWriter writer(plan, starts, "t");
    writer.Feed((first + second + "x").data(), first.size() + second.size() + 1);
    FolderSink sink(dir_);
    EXPECT_FALSE(writer.Finish(sink, &problem));
  }
  // A write that fails (a full disk) leaves no part of the file behind.
  RecoveryWriter writer(plan, starts, "t");
  writer.Feed((first + second).data(), first.size() + second.size());
  FolderSink sink(dir_);
  sink.failWriteOf = 3;
  EXPECT_FALSE(writer.Finish(sink, &problem));
  EXPECT_EQ(problem, "Cannot write " + plan.volumes[0].name + ".");
  EXPECT_FALSE(fs::exists(Path(plan.volumes[0].name)));
  EXPECT_FALSE(fs::exists(Path(plan.volumes[0].name + ".part")));
}

}  // namespace
}  // namespace parcelo

namespace parcelo {
namespace {

TEST_F(RecoverySetTest, SeveralPassesMakeASetThatRepairsAsOnePassDoes) {
  // Ten pieces at 10 %: 102 recovery blocks of 396 bytes, and 8 held. 8 KiB holds 12 of
  // them at a time, 10 blocks' worth only 2; losing a piece whole takes every one.
  const std::string all = MakePieces(10, 40000, 33333);
  std::vector<RecoveryPieceStart> starts;
  for (std::size_t i = 0, at = 0; i < pieces_.size(); at += sizes_[i++]) {
    starts.push_back({pieces_[i], sizes_[i], PieceStartHash(all.data() + at, sizes_[i])});
  }
  const std::string lost = Read(pieces_[4]);
  const struct {
    std::uint64_t memory;
    bool severalPasses;
  } cases[] = {{kRecoveryMemoryDefault, false}, {8192, true}, {10 * 396, true}};
  for (const auto& c : cases) {
    RecoveryPlan plan;
    std::string problem;
    ASSERT_TRUE(PlanRecovery(sizes_, 10, "HOLIDA~1", c.memory, &plan, &problem, c.severalPasses))
        << problem;
    ASSERT_EQ(plan.blockSize, 396u);
    EXPECT_LE(plan.memory, c.memory);
    EXPECT_EQ(plan.passes.size() > 1, c.severalPasses);
    std::vector<std::string> names = {plan.indexName};
    for (const RecoveryVolume& volume : plan.volumes) names.push_back(volume.name);
    for (std::size_t pass = 0; pass < plan.passes.size(); ++pass) {
      RecoveryWriter writer(plan, starts, "t", pass);
      writer.Feed(all.data(), all.size());
      FolderSink sink(dir_);
      ASSERT_TRUE(writer.Finish(sink, &problem)) << problem;
    }
    const std::vector<std::uint64_t> sizes = RecoveryFileSizes(plan, starts, "t");
    ASSERT_EQ(sizes.size(), names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
      EXPECT_EQ(fs::file_size(Path(names[i])), sizes[i]) << names[i];
    }
    fs::remove(Path(pieces_[4]));
    FolderSource folder(dir_);
    const std::vector<RecoverySetState> sets = FindRecoverySets(folder);
    ASSERT_EQ(sets.size(), 1u);
    EXPECT_EQ(sets[0].recovery.size(), plan.recoveryBlocks);
    FolderSink sink(dir_);
    std::vector<std::string> rebuilt;
    ASSERT_TRUE(RepairRecoverySet(folder, sets[0], sink, &rebuilt, &problem)) << problem;
    EXPECT_TRUE(Read(pieces_[4]) == lost) << c.memory;
    for (const std::string& name : names) fs::remove(Path(name));
  }
}

}  // namespace
}  // namespace parcelo
