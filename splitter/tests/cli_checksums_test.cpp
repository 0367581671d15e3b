// parcelo95's checksum and recovery files from the outside: split writes them, join and
// verify hold the pieces against them, join repairs from the recovery files, and Debian's
// cksfv and par2 read ours as we read theirs.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "checksums/crc32.h"
#include "checksums/sfv_file.h"
#include "cli_run.h"

namespace parcelo {
namespace {
namespace fs = std::filesystem;

std::string Hex(const std::string& bytes) {
  return CrcHex(Crc32UpdateByTable(0, bytes.data(), bytes.size()));
}

class CliChecksums : public CliTest {
 protected:
  // Holiday Video.avi of 250,000 bytes split into three pieces in Out.
  std::string SplitHoliday(const std::vector<std::string>& more = {}) {
    MakeFolder("Out");
    const std::string source = MakeFile("In/Holiday Video.avi", 250000);
    std::vector<std::string> arguments = {"split", "In/Holiday Video.avi", "Out", "--size",
                                          "100000", "--yes"};
    arguments.insert(arguments.end(), more.begin(), more.end());
    const CliResult result = Run(arguments);
    EXPECT_EQ(result.status, 0) << result.err;
    return source;
  }

  // A shell command in folder, with a time limit; its exit status, its output in *out.
  int Shell(const std::string& folder, const std::string& command, std::string* out = nullptr) {
    const std::string line = "cd '" + Path(folder) + "' && (timeout 60 " + command + ") >'" +
                             Path(".shell") + "' 2>&1";
    const int status = std::system(line.c_str());
    if (out != nullptr) *out = Read(".shell");
    fs::remove(Path(".shell"));
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  // Holiday Video.avi of 1,000,000 bytes in ten pieces in Out, with recovery files.
  std::string SplitTenWithRecovery(const std::vector<std::string>& more = {}) {
    MakeFolder("Out");
    const std::string source = MakeFile("In/Holiday Video.avi", 1000000);
    std::vector<std::string> arguments = {"split", "In/Holiday Video.avi", "Out", "--size",
                                          "100000", "--yes", "--recovery", "10"};
    arguments.insert(arguments.end(), more.begin(), more.end());
    const CliResult result = Run(arguments);
    EXPECT_EQ(result.status, 0) << result.err;
    return source;
  }

  // False (and the test failed where CI runs) when par2 is not installed.
  bool HavePar2() {
    if (std::system("command -v par2 >/dev/null 2>&1") == 0) return true;
    const char* ci = std::getenv("CI");
    if (ci != nullptr && std::string(ci) == "true") ADD_FAILURE() << "par2 is not installed";
    return false;
  }

  // Damages one byte of a file.
  void Damage(const std::string& relative, std::size_t at) {
    std::string bytes = Read(relative);
    bytes[at] = static_cast<char>(bytes[at] ^ 0x55);
    Write(relative, bytes);
  }
};

TEST_F(CliChecksums, SplitWritesThePiecesLinesAndTheSourceBesideThem) {
  MakeFolder("Backup");
  const std::string source = SplitHoliday({"--backup", "Backup"});
  const std::string expected =
      "; Tavrin Parcelo 95: the CRC-32 of each piece of one file\r\n"
      "; Source: Holiday Video.avi\r\n"
      "; Size: 250000 bytes\r\n"
      "; CRC-32: " + Hex(source) + "\r\n"
      "HOLIDA~1.000 " + Hex(source.substr(0, 100000)) + "\r\n"
      "HOLIDA~1.001 " + Hex(source.substr(100000, 100000)) + "\r\n"
      "HOLIDA~1.002 " + Hex(source.substr(200000)) + "\r\n";
  const std::vector<std::string> all = {"HOLIDA~1.000", "HOLIDA~1.001", "HOLIDA~1.002",
                                        "HOLIDA~1.SFV", "Join-Holiday Video.avi.bat"};
  EXPECT_EQ(List("Out"), all);
  EXPECT_EQ(List("Backup"), all);
  EXPECT_EQ(Read("Out/HOLIDA~1.SFV"), expected);
  EXPECT_EQ(Read("Backup/HOLIDA~1.SFV"), expected);

  // Without 8.3 aliases the pieces carry the long name, and so does the file.
  shortNames_ = false;
  fs::remove_all(Path("Out"));
  SplitHoliday();
  EXPECT_EQ(List("Out"), (std::vector<std::string>{"Holiday Video.000", "Holiday Video.001",
                                                   "Holiday Video.002", "Holiday Video.SFV",
                                                   "Join-Holiday Video.avi.bat"}));
  EXPECT_NE(Read("Out/Holiday Video.SFV").find("\r\nHoliday Video.001 " +
                                              Hex(source.substr(100000, 100000)) + "\r\n"),
            std::string::npos);
}

TEST_F(CliChecksums, NoChecksumsWritesNoneAndJoinSaysThePiecesWentUnchecked) {
  SplitHoliday();
  ASSERT_TRUE(Exists("Out/HOLIDA~1.SFV"));
  // Split again over the same pieces: the old file would not match them, and goes.
  fs::remove_all(Path("In"));
  const std::string source = SplitHoliday({"--no-checksums"});
  EXPECT_FALSE(Exists("Out/HOLIDA~1.SFV"));
  const CliResult joined = Run({"join", "Out"});
  EXPECT_EQ(joined.status, 0) << joined.err;
  EXPECT_EQ(joined.err, "No checksum file (HOLIDA~1.SFV): the pieces could not be checked.\n");
  EXPECT_TRUE(Read("Out/Holiday Video.avi") == source);

  const CliResult verified = Run({"verify", "Out"});
  EXPECT_EQ(verified.status, 1);
  EXPECT_EQ(verified.err, "No checksum file (*.SFV) in Out.\n");

  // A source named like the checksum file that is not written, in its own folder.
  const std::string data = MakeFile("Data/DATA.SFV", 2500);
  const CliResult split = Run({"split", "Data/DATA.SFV", "--size", "1000", "--yes",
                               "--no-checksums"});
  EXPECT_EQ(split.status, 0) << split.err;
  EXPECT_EQ(split.err, "");
  EXPECT_EQ(List("Data"), (std::vector<std::string>{"DATA.000", "DATA.001", "DATA.002",
                                                    "DATA.SFV", "Join-DATA.SFV.bat"}));
  EXPECT_EQ(Read("Data/DATA.SFV"), data);
}

TEST_F(CliChecksums, JoinNamesEveryPieceThatIsNotRightAndWritesNothing) {
  // A piece of an earlier split of the same file, and one of another file whose pieces
  // have the same 8.3 name.
  MakeFolder("Earlier");
  std::string earlier = MakeFile("In/Holiday Video.avi", 250000);
  earlier[77] = static_cast<char>(earlier[77] ^ 1);
  Write("In/Holiday Video.avi", earlier);
  ASSERT_EQ(Run({"split", "In/Holiday Video.avi", "Earlier", "--size", "100000", "--yes"}).status, 0);
  MakeFolder("Other");
  MakeFile("Elsewhere/Holiday Vacation.avi", 260000);
  ASSERT_EQ(Run({"split", "Elsewhere/Holiday Vacation.avi", "Other", "--size", "100000", "--yes"}).status,
            0);
  ASSERT_TRUE(Exists("Other/HOLIDA~1.001"));
  fs::remove_all(Path("In"));
  const std::string source = SplitHoliday();
  const std::string sfv = Read("Out/HOLIDA~1.SFV");

  const struct {
    const char* what;
    std::function<void()> change;
    std::string message;
  } cases[] = {
      {"a damaged piece", [&] { Damage("Work/HOLIDA~1.001", 5000); },
       "HOLIDA~1.001: CRC-32 0x" + Hex([&] {
         std::string bytes = source.substr(100000, 100000);
         bytes[5000] = static_cast<char>(bytes[5000] ^ 0x55);
         return bytes;
       }()) + ", expected 0x" + Hex(source.substr(100000, 100000)) + "; nothing was written.\n"},
      {"a short piece", [&] { fs::resize_file(Path("Work/HOLIDA~1.002"), 49999); },
       "HOLIDA~1.002: CRC-32 0x" + Hex(source.substr(200000, 49999)) + ", expected 0x" +
           Hex(source.substr(200000)) + "; nothing was written.\n"},
      {"a piece from another split",
       [&] { fs::copy_file(Path("Other/HOLIDA~1.001"), Path("Work/HOLIDA~1.001"),
                           fs::copy_options::overwrite_existing); },
       "HOLIDA~1.001: CRC-32 0x" + Hex(Read("Other/HOLIDA~1.001")) + ", expected 0x" +
           Hex(source.substr(100000, 100000)) + "; nothing was written.\n"},
      {"a stale piece of an earlier split and a damaged one",
       [&] {
         fs::copy_file(Path("Earlier/HOLIDA~1.000"), Path("Work/HOLIDA~1.000"),
                       fs::copy_options::overwrite_existing);
         Damage("Work/HOLIDA~1.002", 0);
       },
       "HOLIDA~1.000: CRC-32 0x" + Hex(earlier.substr(0, 100000)) + ", expected 0x" +
           Hex(source.substr(0, 100000)) + "; nothing was written.\n" +
           "HOLIDA~1.002: CRC-32 0x" + Hex([&] {
             std::string bytes = source.substr(200000);
             bytes[0] = static_cast<char>(bytes[0] ^ 0x55);
             return bytes;
           }()) + ", expected 0x" + Hex(source.substr(200000)) + "; nothing was written.\n"},
      {"a missing piece", [&] { fs::remove(Path("Work/HOLIDA~1.001")); },
       "Piece missing: HOLIDA~1.001\nNothing was written.\n"},
      {"a checksum file that is not one", [&] { Write("Work/HOLIDA~1.SFV", "HOLIDA~1.000\r\n"); },
       "Work/HOLIDA~1.SFV: line 1 is not a comment nor \"NAME CRC32\": HOLIDA~1.000\n"
       "Nothing was written.\n"},
      {"a checksum file that lacks a piece",
       [&] { Write("Work/HOLIDA~1.SFV", sfv.substr(0, sfv.find("HOLIDA~1.001"))); },
       "HOLIDA~1.001: not in HOLIDA~1.SFV; nothing was written.\n"
       "HOLIDA~1.002: not in HOLIDA~1.SFV; nothing was written.\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(Path("Work"));
    fs::copy(Path("Out"), Path("Work"));
    c.change();
    const auto before = Snapshot(Path("Work"));
    const CliResult joined = Run({"join", "Work"});
    EXPECT_EQ(joined.status, 1);
    EXPECT_EQ(joined.err, c.message);
    EXPECT_TRUE(Snapshot(Path("Work")) == before) << "nothing written";
  }

  // The pieces as they were: joined, and the whole file checked.
  fs::remove_all(Path("Work"));
  fs::copy(Path("Out"), Path("Work"));
  const CliResult joined = Run({"join", "Work"});
  EXPECT_EQ(joined.status, 0) << joined.err;
  EXPECT_EQ(joined.err, "The 3 pieces and the rebuilt Holiday Video.avi (250000 bytes, CRC-32 0x" +
                            Hex(source) + ") match HOLIDA~1.SFV.\n");
  EXPECT_TRUE(Read("Work/Holiday Video.avi") == source);
}

TEST_F(CliChecksums, VerifyPrintsOneLinePerPiece) {
  const std::string source = SplitHoliday();
  const std::string all = "HOLIDA~1.000: OK\nHOLIDA~1.001: OK\nHOLIDA~1.002: OK\n"
                          "All 3 pieces are right; together they are Holiday Video.avi "
                          "(250000 bytes, CRC-32 0x" + Hex(source) + ").\n";
  for (const char* target : {"Out", "Out/Join-Holiday Video.avi.bat", "Out/HOLIDA~1.SFV"}) {
    SCOPED_TRACE(target);
    const CliResult verified = Run({"verify", target});
    EXPECT_EQ(verified.status, 0) << verified.err;
    EXPECT_EQ(verified.out, all);
  }
  // A backslash is part of a Linux name, not a folder's end.
  fs::copy_file(Path("Out/HOLIDA~1.SFV"), Path("Out/Copy\\of.sfv"));
  const CliResult copy = Run({"verify", "Out/Copy\\of.sfv"});
  EXPECT_EQ(copy.status, 0) << copy.err;
  EXPECT_EQ(copy.out, all);
  fs::remove(Path("Out/Copy\\of.sfv"));
  // One piece listed twice with two CRCs, the wrong one first or last: the file says of no
  // piece that it is right. (The pieces do not matter.)
  const std::string sfv = Read("Out/HOLIDA~1.SFV");
  const std::size_t first = sfv.find("HOLIDA~1.000");
  const std::string wrong = "holida~1.000 " + Hex(source.substr(1, 100000)) + "\r\n";
  const struct {
    std::size_t at;
    const char* named;
  } doubles[] = {{sfv.find("HOLIDA~1.001"), "holida~1.000"}, {first, "HOLIDA~1.000"}};
  for (const auto& d : doubles) {
    SCOPED_TRACE(d.named);
    Write("Out/Twice.sfv", sfv.substr(0, d.at) + wrong + sfv.substr(d.at));
    const CliResult twice = Run({"verify", "Out/Twice.sfv"});
    EXPECT_EQ(twice.status, 1);
    EXPECT_EQ(twice.out, "");
    EXPECT_EQ(twice.err, "Out/Twice.sfv: line 6 lists " + std::string(d.named) +
                             " again, with another CRC-32\n");
  }
  fs::remove(Path("Out/Twice.sfv"));
  const auto before = Snapshot(Path("Out"));
  Damage("Out/HOLIDA~1.000", 99999);
  fs::remove(Path("Out/HOLIDA~1.002"));
  const CliResult verified = Run({"verify", "Out/HOLIDA~1.SFV"});
  EXPECT_EQ(verified.status, 1);
  std::string damaged = source.substr(0, 100000);
  damaged[99999] = static_cast<char>(damaged[99999] ^ 0x55);
  EXPECT_EQ(verified.out, "HOLIDA~1.000: CRC-32 0x" + Hex(damaged) + ", expected 0x" +
                              Hex(source.substr(0, 100000)) +
                              "\nHOLIDA~1.001: OK\nHOLIDA~1.002: missing\n"
                              "2 of 3 pieces are not right.\n");
  EXPECT_NE(Snapshot(Path("Out")), before);

  const CliResult nowhere = Run({"verify", "Nowhere"});
  EXPECT_EQ(nowhere.status, 1);
  EXPECT_EQ(nowhere.err, "Not found: Nowhere\n");
}

TEST_F(CliChecksums, SpannedTheRoomForTheJoinFileCountsTheChecksumFile) {
  // One piece fills the disk but for 600 bytes: room for the join file (about 320 bytes
  // here), not for it and the checksum file (about 290 more).
  const std::string name = std::string(146, 'V') + ".avi";
  MakeFile(name, 30000);
  MakeFolder("Floppy");
  drives_ = Path("Floppy") + "=30600";
  CliResult result = Run({"split", name, "Floppy", "--span", "--yes"});
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.out.find("Not enough room for join file on disk.\nInsert another disk for "
                            "join file."),
            std::string::npos)
      << result.out;
  EXPECT_EQ(List("Floppy"), std::vector<std::string>{"VVVVVV~1.000"});

  fs::remove_all(Path("Floppy"));
  MakeFolder("Floppy");
  result = Run({"split", name, "Floppy", "--span", "--yes", "--no-checksums"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(List("Floppy"), (std::vector<std::string>{"Join-" + name + ".bat", "VVVVVV~1.000"}));

  fs::remove_all(Path("Floppy"));
  MakeFolder("Floppy");
  drives_ = Path("Floppy") + "=31000";
  result = Run({"split", name, "Floppy", "--span", "--yes"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(List("Floppy"),
            (std::vector<std::string>{"Join-" + name + ".bat", "VVVVVV~1.000", "VVVVVV~1.SFV"}));
}

TEST_F(CliChecksums, SpannedTheRoomForTheJoinFileCountsTheDisksBlocks) {
  // A disk of ten 4 KiB blocks; the one piece takes nine. The checksum file and the join
  // file, some hundred bytes each, take a block each: one more disk is asked for.
  std::string why;
  if (!MountSmallDisk("Floppy", 10 * 4096, &why)) GTEST_SKIP() << why << "; as root it runs";
  drives_ = Path("Floppy");
  const std::string source = MakeFile("SRC.DAT", 9 * 4096 - 500);
  const std::vector<std::string> split = {"split", "SRC.DAT", "Floppy", "--span", "--set=NoReminders=1"};
  std::vector<std::string> yes = split;
  yes.push_back("--yes");
  CliResult result = Run(yes);
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "(asked again: answered Cancel)\n");
  EXPECT_NE(result.out.find("Not enough room for join file on disk.\nInsert another disk for "
                            "join file."),
            std::string::npos)
      << result.out;
  EXPECT_EQ(List("Floppy"), std::vector<std::string>{"SRC.000"});

  // Answered with a fresh disk, the run ends with what rebuilds the source.
  fs::remove(Path("Floppy/SRC.000"));
  auto run = Start(split);
  ASSERT_NE(run, nullptr) << "no pseudo-terminal";
  ASSERT_TRUE(run->WaitFor("[O]K / [C]ancel? ", 30000)) << run->shown;
  run->Type("o\n");
  ASSERT_TRUE(run->WaitFor("Insert another disk for join file.", 30000)) << run->shown;
  MakeFolder("Disk1");
  fs::copy_file(Path("Floppy/SRC.000"), Path("Disk1/SRC.000"));
  fs::remove(Path("Floppy/SRC.000"));
  run->Type("o\n");
  ASSERT_EQ(run->Wait(60000), 0) << run->Err() << run->shown;
  EXPECT_EQ(List("Floppy"), (std::vector<std::string>{"Join-SRC.DAT.bat", "SRC.SFV"}));
  fs::copy(Path("Floppy"), Path("Disk1"));
  result = Run({"join", "Disk1"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_TRUE(Read("Disk1/SRC.DAT") == source);
}

TEST_F(CliChecksums, PieceNamesNeverBeginLikeAComment) {
  // Without 8.3 aliases, ";notes" would begin every piece line of the checksum file, which
  // every reader takes for a comment.
  shortNames_ = false;
  MakeFolder("Out");
  const std::string source = MakeFile("In/;notes.txt", 2500);
  const CliResult split = Run({"split", "In/;notes.txt", "Out", "--size", "1000", "--yes",
                               "--set=NoReminders=1"});
  ASSERT_EQ(split.status, 0) << split.err;
  EXPECT_EQ(List("Out"), (std::vector<std::string>{"Join-;notes.txt.bat", "_NOTES~1.000",
                                                   "_NOTES~1.001", "_NOTES~1.002",
                                                   "_NOTES~1.SFV"}));
  const CliResult verified = Run({"verify", "Out"});
  EXPECT_EQ(verified.status, 0) << verified.err;
  EXPECT_EQ(verified.out.substr(0, verified.out.find("All")),
            "_NOTES~1.000: OK\n_NOTES~1.001: OK\n_NOTES~1.002: OK\n");
  std::string said;
  if (std::system("command -v cksfv >/dev/null 2>&1") == 0) {
    EXPECT_EQ(Shell("Out", "cksfv -f _NOTES~1.SFV", &said), 0) << said;
    EXPECT_NE(said.find("_NOTES~1.002"), std::string::npos) << said;
  }
  const CliResult joined = Run({"join", "Out"});
  EXPECT_EQ(joined.status, 0) << joined.err;
  EXPECT_TRUE(Read("Out/;notes.txt") == source);
}

// Debian's cksfv, the peer: it must accept our files, and we its. Where CI runs, a missing
// cksfv is a failure, not a reason to skip.
TEST_F(CliChecksums, CksfvAcceptsOursAndWeAcceptItsFiles) {
  if (std::system("command -v cksfv >/dev/null 2>&1") != 0) {
    const char* ci = std::getenv("CI");
    if (ci != nullptr && std::string(ci) == "true") FAIL() << "cksfv is not installed";
    GTEST_SKIP() << "cksfv is not installed (Debian package cksfv)";
  }
  const std::string source = SplitHoliday();
  std::string said;
  EXPECT_EQ(Shell("Out", "cksfv -f HOLIDA~1.SFV", &said), 0) << said;
  EXPECT_NE(said.find("Everything OK"), std::string::npos) << said;

  // cksfv's file, of our pieces.
  EXPECT_EQ(Shell("Out", "cksfv HOLIDA~1.000 HOLIDA~1.001 HOLIDA~1.002 > peer.sfv", &said), 0);
  CliResult verified = Run({"verify", "Out/peer.sfv"});
  EXPECT_EQ(verified.status, 0) << verified.err;
  EXPECT_EQ(verified.out,
            "HOLIDA~1.000: OK\nHOLIDA~1.001: OK\nHOLIDA~1.002: OK\nAll 3 pieces are right.\n");
  // In place of ours, join takes it too.
  fs::remove_all(Path("Work"));
  fs::copy(Path("Out"), Path("Work"));
  fs::rename(Path("Work/peer.sfv"), Path("Work/HOLIDA~1.SFV"));
  CliResult joined = Run({"join", "Work"});
  EXPECT_EQ(joined.status, 0) << joined.err;
  EXPECT_EQ(joined.err, "The 3 pieces match HOLIDA~1.SFV.\n");
  EXPECT_TRUE(Read("Work/Holiday Video.avi") == source);

  // Both see the same damage.
  Damage("Out/HOLIDA~1.002", 10);
  EXPECT_EQ(Shell("Out", "cksfv -f HOLIDA~1.SFV", &said), 1) << said;
  EXPECT_NE(said.find("HOLIDA~1.002"), std::string::npos);
  verified = Run({"verify", "Out/peer.sfv"});
  EXPECT_EQ(verified.status, 1);
  EXPECT_NE(verified.out.find("HOLIDA~1.002: CRC-32 0x"), std::string::npos);

  // Names with blanks, as without 8.3 aliases.
  shortNames_ = false;
  fs::remove_all(Path("Out"));
  SplitHoliday();
  EXPECT_EQ(Shell("Out", "cksfv -f 'Holiday Video.SFV'", &said), 0) << said;
  EXPECT_EQ(Shell("Out", "cksfv 'Holiday Video.000' 'Holiday Video.001' 'Holiday Video.002' > peer.sfv"),
            0);
  verified = Run({"verify", "Out/peer.sfv"});
  EXPECT_EQ(verified.status, 0) << verified.out << verified.err;
}

// Pieces data.000... beside another file whose name differs only in case: the file join
// checks is the file it copies, with the splitter's checksum file, cksfv's (no source
// lines) or none.
TEST_F(CliChecksums, JoinCopiesTheVeryPiecesItChecked) {
  const bool peer = std::system("command -v cksfv >/dev/null 2>&1") == 0;
  shortNames_ = false;
  const std::string source = MakeFile("In/data.bin", 2500);
  MakeFolder("Base");
  ASSERT_EQ(Run({"split", "In/data.bin", "Base", "--size", "1000", "--set=NoReminders=1"}).status, 0);
  ASSERT_EQ(List("Base"), (std::vector<std::string>{"Join-data.bin.bat", "data.000", "data.001",
                                                    "data.002", "data.SFV"}));
  Write("Base/DATA.000", std::string(1000, 'x'));
  const struct {
    const char* what;
    const char* checksums;  // what stands in place of data.SFV; nullptr: nothing
    const char* err;
  } cases[] = {
      {"the splitter's", "ours",
       "The 3 pieces and the rebuilt data.bin (2500 bytes, CRC-32 0x%s) match data.SFV.\n"},
      {"cksfv's", "peer", "The 3 pieces match data.SFV.\n"},
      {"none", nullptr, "No checksum file (data.SFV): the pieces could not be checked.\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.checksums != nullptr && std::string(c.checksums) == "peer" && !peer) continue;
    fs::remove_all(Path("Out"));
    fs::copy(Path("Base"), Path("Out"));
    if (c.checksums == nullptr) {
      fs::remove(Path("Out/data.SFV"));
    } else if (std::string(c.checksums) == "peer") {
      ASSERT_EQ(Shell("Out", "cksfv data.000 data.001 data.002 > data.SFV"), 0);
    }
    const CliResult joined = Run({"join", "Out"});
    EXPECT_EQ(joined.status, 0) << joined.err;
    EXPECT_TRUE(Read("Out/data.bin") == source) << "rebuilt from another file's bytes";
    EXPECT_EQ(joined.err.substr(0, 14), std::string(c.err).substr(0, 14)) << joined.err;
    EXPECT_EQ(Read("Out/DATA.000"), std::string(1000, 'x'));
  }
}

}  // namespace
}  // namespace parcelo

namespace parcelo {
namespace {

// 10 % of ten pieces of 100,000 bytes: blocks of 984 bytes, 102 to a piece, 102 recovery
// blocks in 7 files.
const std::vector<std::string> kRecoveryFiles = {
    "HOLIDA~1.par2",           "HOLIDA~1.vol000+001.par2", "HOLIDA~1.vol001+002.par2",
    "HOLIDA~1.vol003+004.par2", "HOLIDA~1.vol007+008.par2", "HOLIDA~1.vol015+016.par2",
    "HOLIDA~1.vol031+032.par2", "HOLIDA~1.vol063+039.par2"};

TEST_F(CliChecksums, JoinRepairsOneLostOrDamagedPieceOfTen) {
  const struct {
    bool remove;
    bool writeBack;
    const char* verifyLine;
  } cases[] = {
      {false, false, "1 block lost or damaged; the pieces can be repaired, with 101 blocks"},
      {true, false, "102 blocks lost or damaged; the pieces can be repaired, with 0 blocks"},
      {false, true, "1 block lost or damaged; the pieces can be repaired, with 101 blocks"},
      {true, true, "102 blocks lost or damaged; the pieces can be repaired, with 0 blocks"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.remove ? "lost" : "damaged") + (c.writeBack ? ", --repair" : ""));
    fs::remove_all(Path("Out"));
    fs::remove_all(Path("Backup"));
    MakeFolder("Backup");
    const std::string source = SplitTenWithRecovery({"--backup", "Backup"});
    std::vector<std::string> listed;
    for (const std::string& name : List("Out")) {
      if (name.size() > 5 && name.substr(name.size() - 5) == ".par2") listed.push_back(name);
    }
    ASSERT_EQ(listed, kRecoveryFiles);
    for (const std::string& name : kRecoveryFiles) {
      EXPECT_TRUE(Read("Backup/" + name) == Read("Out/" + name)) << name;
    }
    CliResult verified = Run({"verify", "Out"});
    EXPECT_EQ(verified.status, 0) << verified.out;
    EXPECT_NE(verified.out.find("\nRecovery files (HOLIDA~1.par2 and 7 more): no block is lost; "
                                "102 blocks of recovery data to spare.\n"),
              std::string::npos)
        << verified.out;

    const std::string piece = Read("Out/HOLIDA~1.003");
    if (c.remove) {
      fs::remove(Path("Out/HOLIDA~1.003"));
    } else {
      Damage("Out/HOLIDA~1.003", 54321);
    }
    const std::string left = c.remove ? std::string() : Read("Out/HOLIDA~1.003");
    verified = Run({"verify", "Out"});
    EXPECT_EQ(verified.status, 1);
    EXPECT_NE(verified.out.find(std::string("Recovery files (HOLIDA~1.par2 and 7 more): ") +
                                c.verifyLine + " to spare (parcelo95 join repairs them).\n"),
              std::string::npos)
        << verified.out;

    std::vector<std::string> join = {"join", "Out"};
    if (c.writeBack) join.push_back("--repair");
    const CliResult joined = Run(join);
    ASSERT_EQ(joined.status, 0) << joined.err;
    EXPECT_TRUE(Read("Out/Holiday Video.avi") == source);
    EXPECT_EQ(joined.err.substr(0, joined.err.find('\n') + 1),
              c.writeBack ? "Repaired from the recovery files and written back: HOLIDA~1.003.\n"
                          : "Repaired from the recovery files, in the rebuilt file only "
                            "(--repair writes them back): HOLIDA~1.003.\n");
    if (c.writeBack) {
      EXPECT_TRUE(Read("Out/HOLIDA~1.003") == piece);
    } else {
      EXPECT_EQ(Exists("Out/HOLIDA~1.003"), !c.remove);
      if (!c.remove) {
        EXPECT_TRUE(Read("Out/HOLIDA~1.003") == left) << "the piece stays as it was";
      }
    }
    for (const std::string& name : List("Out")) EXPECT_NE(name[0], '.') << name;
  }
}

TEST_F(CliChecksums, JoinSaysHowManyBlocksAreMissingAndWritesNothing) {
  const struct {
    bool removeSecond;  // else two of its blocks are damaged
    const char* counts;
  } cases[] = {
      {true, "204 blocks lost or damaged, 102 blocks of recovery data; the pieces cannot be "
             "repaired: 102 blocks more are needed."},
      {false, "104 blocks lost or damaged, 102 blocks of recovery data; the pieces cannot be "
              "repaired: 2 blocks more are needed."},
  };
  for (const auto& c : cases) {
    fs::remove_all(Path("Out"));
    SplitTenWithRecovery();
    fs::remove(Path("Out/HOLIDA~1.002"));
    if (c.removeSecond) {
      fs::remove(Path("Out/HOLIDA~1.007"));
    } else {
      Damage("Out/HOLIDA~1.007", 0);
      Damage("Out/HOLIDA~1.007", 99999);
    }
    const auto before = Snapshot(dir_);
    for (const char* repair : {"", "--repair"}) {
      std::vector<std::string> join = {"join", "Out"};
      if (*repair != '\0') join.push_back(repair);
      const CliResult joined = Run(join);
      EXPECT_EQ(joined.status, 1);
      EXPECT_EQ(joined.err, std::string("Recovery files (HOLIDA~1.par2 and 7 more): ") + c.counts +
                                "\nNothing was written.\n");
      EXPECT_EQ(Snapshot(dir_), before);
    }
  }
}

// Without the checksum file, verify of the join file holds its pieces against the recovery
// files: each piece's state, and whether the set can repair them.
TEST_F(CliChecksums, VerifyOfAJoinFileWithoutChecksumFileGoesByTheRecoveryFiles) {
  const struct {
    const char* name;
    std::vector<int> removed;
    std::vector<int> damaged;
    int status;
    const char* pieceLines;  // those that are not OK
    const char* summary;
  } cases[] = {
      {"intact", {}, {}, 0, "", "All 10 pieces are right.\nRecovery files (HOLIDA~1.par2 and 7 "
                                "more): no block is lost; 102 blocks of recovery data to spare."},
      {"one damaged", {}, {4}, 1, "HOLIDA~1.004: damaged (1 of 102 blocks)\n",
       "1 of 10 pieces are not right.\nRecovery files (HOLIDA~1.par2 and 7 more): 1 block lost or "
       "damaged; the pieces can be repaired, with 101 blocks to spare (parcelo95 join repairs "
       "them)."},
      {"two lost", {2, 7}, {}, 1, "HOLIDA~1.002: missing\nHOLIDA~1.007: missing\n",
       "2 of 10 pieces are not right.\nRecovery files (HOLIDA~1.par2 and 7 more): 204 blocks lost "
       "or damaged, 102 blocks of recovery data; the pieces cannot be repaired: 102 blocks more "
       "are needed."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(Path("Out"));
    SplitTenWithRecovery();
    fs::remove(Path("Out/HOLIDA~1.SFV"));
    for (int i : c.removed) fs::remove(Path("Out/HOLIDA~1.00" + std::to_string(i)));
    for (int i : c.damaged) Damage("Out/HOLIDA~1.00" + std::to_string(i), 54321);
    const auto before = Snapshot(Path("Out"));
    const CliResult verified = Run({"verify", "Out/Join-Holiday Video.avi.bat"});
    EXPECT_EQ(verified.status, c.status) << verified.err;
    EXPECT_EQ(verified.err, "");
    std::string expected;
    for (int i = 0; i < 10; ++i) {
      const std::string name = "HOLIDA~1.00" + std::to_string(i);
      const std::string lines = c.pieceLines;
      const std::size_t at = lines.find(name + ":");
      expected += at == std::string::npos ? name + ": OK\n"
                                          : lines.substr(at, lines.find('\n', at) + 1 - at);
    }
    EXPECT_EQ(verified.out, expected + c.summary + "\n");
    EXPECT_EQ(Snapshot(Path("Out")), before) << "verify writes nothing";
  }
  // Without recovery files either, the pieces cannot be checked.
  for (const std::string& name : kRecoveryFiles) fs::remove(Path("Out/" + name));
  const CliResult verified = Run({"verify", "Out/Join-Holiday Video.avi.bat"});
  EXPECT_EQ(verified.status, 1);
  EXPECT_EQ(verified.err, "No checksum file (HOLIDA~1.SFV) beside Out/Join-Holiday Video.avi.bat: "
                          "the pieces could not be checked.\n");
}

TEST_F(CliChecksums, ASplitOverAnEarlierOneRemovesItsRecoveryFiles) {
  // Left there, the old set would take the new pieces for damaged old ones.
  SplitTenWithRecovery();
  for (const std::vector<std::string>& more :
       {std::vector<std::string>{}, std::vector<std::string>{"--no-checksums"}}) {
    const std::string source = MakeFile("In/Holiday Video.avi", 1000000);
    std::vector<std::string> split = {"split", "In/Holiday Video.avi", "Out", "--size", "100000",
                                      "--yes"};
    split.insert(split.end(), more.begin(), more.end());
    ASSERT_EQ(Run(split).status, 0);
    for (const std::string& name : List("Out")) EXPECT_EQ(name.find(".par2"), std::string::npos) << name;
    const CliResult joined = Run({"join", "Out"});
    ASSERT_EQ(joined.status, 0) << joined.err;
    EXPECT_TRUE(Read("Out/Holiday Video.avi") == source);
    fs::remove(Path("Out/Holiday Video.avi"));
    SplitTenWithRecovery();
  }
}

TEST_F(CliChecksums, Par2RepairsFromOurRecoveryFilesAndWeFromItsOwn) {
  if (!HavePar2()) GTEST_SKIP() << "par2 is not installed (Debian package par2)";
  const std::string source = SplitTenWithRecovery();
  std::string said;
  EXPECT_EQ(Shell("Out", "par2 verify HOLIDA~1.par2", &said), 0) << said;
  const std::string piece = Read("Out/HOLIDA~1.006");
  fs::remove(Path("Out/HOLIDA~1.006"));
  EXPECT_EQ(Shell("Out", "par2 repair HOLIDA~1.par2", &said), 0) << said;
  EXPECT_TRUE(Read("Out/HOLIDA~1.006") == piece);
  CliResult joined = Run({"join", "Out"});
  ASSERT_EQ(joined.status, 0) << joined.err;
  EXPECT_TRUE(Read("Out/Holiday Video.avi") == source);

  // A set that par2 made over the pieces, under a name of its own, is found by them.
  fs::remove(Path("Out/Holiday Video.avi"));
  for (const std::string& name : kRecoveryFiles) fs::remove(Path("Out/" + name));
  ASSERT_EQ(Shell("Out", "par2 create -q -r10 saved.par2 HOLIDA~1.0*", &said), 0) << said;
  Damage("Out/HOLIDA~1.002", 777);
  const CliResult verified = Run({"verify", "Out"});
  EXPECT_EQ(verified.status, 1);
  EXPECT_NE(verified.out.find("Recovery files (saved.par2 and "), std::string::npos) << verified.out;
  EXPECT_NE(verified.out.find("the pieces can be repaired"), std::string::npos) << verified.out;
  joined = Run({"join", "Out"});
  ASSERT_EQ(joined.status, 0) << joined.err;
  EXPECT_NE(joined.err.find("): HOLIDA~1.002.\n"), std::string::npos) << joined.err;
  EXPECT_TRUE(Read("Out/Holiday Video.avi") == source);
}

TEST_F(CliChecksums, SpannedTheRecoveryFilesGoOnDisksOfTheirOwnAfterTheLast) {
  // Two pieces on disks of 100,000 bytes; at 50 % the set holds one piece's blocks, more
  // than one disk with its packets: it takes more disks, asked for after the join file.
  MakeFolder("Floppy");
  drives_ = Path("Floppy") + "=100000";
  const std::string source = MakeFile("SRC.DAT", 150000);
  MakeFolder("Backup");
  auto run = Start({"split", "SRC.DAT", "Floppy", "--span", "--recovery", "50", "--backup",
                    "Backup", "--set=NoReminders=1"});
  ASSERT_NE(run, nullptr) << "no pseudo-terminal";
  std::vector<std::string> prompts;
  int disk = 0;
  // Each disk's files move away to a folder of their own, as a disk out of the drive.
  auto nextDisk = [&]() {
    const std::string folder = "Disk" + std::to_string(++disk);
    MakeFolder(folder);
    for (const std::string& name : List("Floppy")) {
      fs::rename(Path("Floppy/" + name), Path(folder + "/" + name));
    }
    run->shown.clear();
    run->Type("o\n");
  };
  ASSERT_TRUE(run->WaitFor("Insert disk for piece 1", 30000)) << run->shown;
  run->shown.clear();
  run->Type("o\n");
  ASSERT_TRUE(run->WaitFor("Insert disk for piece 2", 30000)) << run->shown;
  nextDisk();
  ASSERT_TRUE(run->WaitFor("Insert disk for recovery files", 30000)) << run->shown;
  EXPECT_EQ(List("Floppy"), (std::vector<std::string>{"Join-SRC.DAT.bat", "SRC.001", "SRC.SFV"}));
  nextDisk();
  for (int more = 0; more < 8 && run->WaitFor("Insert another disk for recovery files.", 5000);
       ++more) {
    nextDisk();
  }
  ASSERT_EQ(run->Wait(60000), 0) << run->Err() << run->shown;
  nextDisk();
  EXPECT_GE(disk, 4);
  std::size_t recoveryFiles = 0;
  for (int d = 3; d <= disk; ++d) {
    const std::vector<std::string> files = List("Disk" + std::to_string(d));
    EXPECT_FALSE(files.empty()) << "disk " << d << " was asked for and left empty";
    for (const std::string& name : files) {
      EXPECT_EQ(name.substr(name.size() - 5), ".par2") << "disk " << d;
      // The backup folder holds the set too.
      EXPECT_TRUE(Read("Backup/" + name) == Read("Disk" + std::to_string(d) + "/" + name)) << name;
      ++recoveryFiles;
    }
  }
  EXPECT_EQ(List("Backup").size(), recoveryFiles + 4);  // the pieces, the checksum and join files

  // All disks copied into one folder, but for the first: the join rebuilds the source.
  MakeFolder("All");
  for (int d = 2; d <= disk; ++d) {
    for (const std::string& name : List("Disk" + std::to_string(d))) {
      fs::copy_file(Path("Disk" + std::to_string(d) + "/" + name), Path("All/" + name));
    }
  }
  const CliResult joined = Run({"join", "All"});
  ASSERT_EQ(joined.status, 0) << joined.err;
  EXPECT_NE(joined.err.find("in the rebuilt file only (--repair writes them back): SRC.000.\n"),
            std::string::npos)
      << joined.err;
  EXPECT_TRUE(Read("All/SRC.DAT") == source);
}

}  // namespace
}  // namespace parcelo
