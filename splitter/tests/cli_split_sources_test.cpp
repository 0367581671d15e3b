// parcelo95 split of sources that 32 bits cannot count, and of a pipe, joined back again.
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>

#include "cli_run.h"

namespace parcelo {
namespace {
namespace fs = std::filesystem;

using CliSources = CliTest;

constexpr std::uint64_t kMiB = 1 << 20;

std::string RandomBytes(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  return bytes;
}

// A file of size bytes whose first and last MiB are random and the rest a hole: on disk it
// takes 2 MiB.
void MakeSparseFile(const std::string& path, std::uint64_t size) {
  std::ofstream out(path, std::ios::binary);
  const std::string head = RandomBytes(kMiB, 1), tail = RandomBytes(kMiB, 2);
  out.write(head.data(), static_cast<std::streamsize>(head.size()));
  out.seekp(static_cast<std::streamoff>(size - kMiB));
  out.write(tail.data(), static_cast<std::streamsize>(tail.size()));
}

std::uint64_t BytesOnDisk(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 ? static_cast<std::uint64_t>(info.st_blocks) * 512 : 0;
}

// Byte for byte, in large reads: cmp takes half a minute over 5 GiB.
bool SameBytes(const std::string& a, const std::string& b) {
  std::ifstream first(a, std::ios::binary), second(b, std::ios::binary);
  std::vector<char> one(4 * kMiB), two(4 * kMiB);
  while (first && second) {
    first.read(one.data(), static_cast<std::streamsize>(one.size()));
    second.read(two.data(), static_cast<std::streamsize>(two.size()));
    if (first.gcount() != second.gcount() ||
        !std::equal(one.begin(), one.begin() + first.gcount(), two.begin())) {
      return false;
    }
  }
  return first.eof() && second.eof();
}

TEST_F(CliSources, FiveGigabytesSplitAndJoinBackByteForByte) {
  constexpr std::uint64_t kSize = 5ull << 30;
  timeoutSeconds_ = 900;  // the join writes 5 GiB; under the sanitizers that takes a while
  MakeSparseFile(Path("Disk Image.iso"), kSize);
  const struct {
    std::vector<std::string> size;
    std::vector<std::uint64_t> pieces;
  } cases[] = {
      {{"--size", "1000MB"},
       {1048576000, 1048576000, 1048576000, 1048576000, 1048576000, 125829120}},
      // The largest piece FAT32 holds.
      {{"--preset", "fat32"}, {4294967295, 1073741825}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.size[1]);
    fs::remove_all(Path("Out"));
    MakeFolder("Out");
    std::vector<std::string> arguments = {"split", "Disk Image.iso", "Out", "--yes"};
    arguments.insert(arguments.end(), c.size.begin(), c.size.end());
    const CliResult split = Run(arguments);
    ASSERT_EQ(split.status, 0) << split.err;

    std::uint64_t onDisk = 0;
    for (std::size_t i = 0; i < c.pieces.size(); ++i) {
      const std::string piece = "Out/DISKIM~1.00" + std::to_string(i);
      ASSERT_TRUE(Exists(piece)) << piece;
      EXPECT_EQ(fs::file_size(Path(piece)), c.pieces[i]) << piece;
      onDisk += BytesOnDisk(Path(piece));
    }
    EXPECT_FALSE(Exists("Out/DISKIM~1.00" + std::to_string(c.pieces.size())));
    // The source's hole stays a hole in the pieces rather than gigabytes of zeros.
    EXPECT_LT(onDisk, 16 * kMiB);
    EXPECT_NE(Read("Out/DISKIM~1.SFV").find("; Size: 5368709120 bytes\r\n"), std::string::npos);

    const CliResult join = Run({"join", "Out"});
    ASSERT_EQ(join.status, 0) << join.err;
    EXPECT_NE(join.err.find("the rebuilt Disk Image.iso (5368709120 bytes, CRC-32 0x"),
              std::string::npos)
        << join.err;
    ASSERT_EQ(fs::file_size(Path("Out/Disk Image.iso")), kSize);
    EXPECT_TRUE(SameBytes(Path("Disk Image.iso"), Path("Out/Disk Image.iso")));
    fs::remove_all(Path("Out"));  // 5 GiB of the disk back at once
  }
}


// Every file of a folder by name, with its bytes.
std::map<std::string, std::string> FilesOf(const std::string& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    std::ifstream in(entry.path(), std::ios::binary);
    files[entry.path().filename().string()] =
        std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  return files;
}

TEST_F(CliSources, APipeGetsThePiecesAFileOfItsNameWould) {
  const std::string bytes = MakeFile("File/Holiday Video.avi", 3000000);
  const CliResult file = Run({"split", "File/Holiday Video.avi", "--size", "1MB", "--yes"});
  ASSERT_EQ(file.status, 0) << file.err;
  MakeFolder("Pipe");
  const CliResult pipe = RunPiped("File/Holiday Video.avi", {"split", "-", "Pipe", "--name",
                                                             "Holiday Video.avi", "--size",
                                                             "1MB", "--yes"});
  ASSERT_EQ(pipe.status, 0) << pipe.err;
  EXPECT_EQ(pipe.out, file.out);
  std::map<std::string, std::string> fromFile = FilesOf(Path("File"));
  fromFile.erase("Holiday Video.avi");
  EXPECT_EQ(fromFile.size(), 5u) << "three pieces, the join file and the checksum file";
  EXPECT_TRUE(FilesOf(Path("Pipe")) == fromFile);

  // The checksum file is one cksfv reads, and the join gives the bytes their name back.
  EXPECT_EQ(std::system(("cd '" + Path("Pipe") + "' && cksfv -q -f HOLIDA~1.SFV").c_str()), 0);
  const CliResult join = Run({"join", "Pipe"});
  ASSERT_EQ(join.status, 0) << join.err;
  EXPECT_TRUE(Read("Pipe/Holiday Video.avi") == bytes);

  // DEST defaults to the current folder.
  MakeFile("small.bin", 2500);
  const CliResult here = RunPiped("small.bin", {"split", "-", "--name", "notes.txt", "--size",
                                                "1000", "--yes"});
  ASSERT_EQ(here.status, 0) << here.err;
  EXPECT_TRUE(Exists("NOTES.002") && Exists("NOTES.SFV") && Exists("Join-notes.txt.bat"));
}

TEST_F(CliSources, APipeThatCannotMakeItsPiecesLeavesNothingBehind) {
  MakeFolder("Out");
  const struct {
    std::size_t bytes;
    std::vector<std::string> arguments;
    const char* text;  // nullptr: the split is done
  } cases[] = {
      {0, {"--size", "1000"}, "Standard input ended before its first byte: nothing to split."},
      {999, {"--size", "1000"}, "Split size is greater than source file size."},
      {1000, {"--size", "1000"}, "Splitting a file into only 1 piece is pointless."},
      // The 1,001st piece would begin: the thousand before it are taken back.
      {1000001, {"--size", "1000"},
       "Split size is too small. Cannot split to more than 1,000 pieces."},
      {1000000, {"--size", "1000"}, nullptr},
      {1000, {"--size", "1000", "--name", "a:b"},
       "The source file's name holds a character that DOS and Windows do not allow in a file "
       "name (one of \\ / : * ? \" < > | or a control character). Rename it before splitting."},
      {100000, {"--size", "1000", "--recovery", "10", "--name", "DATA.BIN"},
       "Recovery files cannot be made from standard input: they need the whole source before "
       "the first piece. Save it to a file and split that with --recovery."},
      {1000, {"--size", "1000", "--name", "notes."},
       "The source file's name ends in a dot or a blank, which Windows drops from a file name: "
       "its join file could not give the name back. Rename it before splitting."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.bytes) + " " + c.arguments.back());
    Write("input", RandomBytes(c.bytes, 3));
    std::vector<std::string> arguments = {"split", "-", "Out", "--yes", "--backup", "Out2"};
    MakeFolder("Out2");
    if (c.arguments.size() < 4) arguments.insert(arguments.end(), {"--name", "DATA.BIN"});
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    const CliResult result = RunPiped("input", arguments);
    if (c.text == nullptr) {
      EXPECT_EQ(result.status, 0) << result.err;
      EXPECT_EQ(List("Out").size(), 1002u) << "1000 pieces, the join and checksum files";
      EXPECT_TRUE(Exists("Out/DATA.999") && !Exists("Out/DATA.1000"));
      EXPECT_TRUE(Exists("Out2/DATA.999"));
    } else {
      EXPECT_EQ(result.status, 1);
      EXPECT_EQ(result.err, std::string(c.text) + "\n");
      EXPECT_TRUE(List("Out").empty());
      EXPECT_TRUE(List("Out2").empty());
    }
    fs::remove_all(Path("Out"));
    fs::remove_all(Path("Out2"));
    MakeFolder("Out");
  }
  EXPECT_EQ(RunPiped("input", {"split", "-", "Out", "--size", "1000"}).status, 2)
      << "a pipe needs its name";
  EXPECT_EQ(Run({"split", "input", "Out", "--name", "x", "--size", "1000"}).status, 2)
      << "a file has its own";
}


// Spanning from standard input: each disk is asked for on the terminal, never read from the
// data, and filled as the data comes.
TEST_F(CliSources, SpanningFromStandardInputAsksOnTheTerminal) {
  const std::string bytes = RandomBytes(50000, 4);
  Write("input", bytes);
  MakeFolder("Floppy");
  drives_ = Path("Floppy") + "=20000";
  auto run = Start({"split", "-", "Floppy", "--name", "Holiday Video.avi", "--span", "--set",
                    "NoReminders=1"},
                   "input");
  ASSERT_NE(run, nullptr);
  for (int disk = 1; disk <= 3; ++disk) {
    SCOPED_TRACE(disk);
    ASSERT_TRUE(run->WaitFor("Insert disk for piece " + std::to_string(disk) +
                                 "\r\n[O]K / [C]ancel? ",
                             20000))
        << run->shown << run->Err();
    if (disk > 1) {  // the next disk: the full one's files go elsewhere
      const std::string shelf = "Disk" + std::to_string(disk - 1);
      MakeFolder(shelf);
      for (const std::string& name : List("Floppy")) {
        fs::rename(Path("Floppy/" + name), Path(shelf + "/" + name));
      }
    }
    run->Type("o\n");
  }
  ASSERT_EQ(run->Wait(20000), 0) << run->shown << run->Err();
  EXPECT_TRUE(Read("Disk1/HOLIDA~1.000") + Read("Disk2/HOLIDA~1.001") +
                  Read("Floppy/HOLIDA~1.002") ==
              bytes);
  EXPECT_EQ(List("Floppy"), (std::vector<std::string>{"HOLIDA~1.002", "HOLIDA~1.SFV",
                                                      "Join-Holiday Video.avi.bat"}));
}

}  // namespace
}  // namespace parcelo
