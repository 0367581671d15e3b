#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "platform/posix/short_name.h"
#include "split_fixture.h"

namespace parcelo {
namespace {
namespace fs = std::filesystem;

const OemCodePage kPage437(437);

TEST(ShortName, ValidNamesNeedNoAlias) {
  for (const char* name : {"README", "BACKUP.ZIP", "HOLIDA~1.AVI", "A.B", "12345678.123", "_$~!.{}"}) {
    EXPECT_TRUE(IsShortName(name, kPage437)) << name;
  }
  for (const char* name : {"readme", "Backup.zip", "123456789", "A.BCDE", "A.B.C", "A B", "A+B",
                           ".ZIP", "A.", ""}) {
    EXPECT_FALSE(IsShortName(name, kPage437)) << name;
  }
}

TEST(ShortName, AliasesLikeAFatDisk) {
  const auto aliases = AssignShortNames({"Holiday Video.avi", "Holiday Snaps.avi", "readme.txt",
                                         "My Long Document.doc", "a+b,c;d=e.tar.gz", ".profile",
                                         "BACKUP.ZIP", "noext long name"}, kPage437);
  EXPECT_EQ(aliases.at("Holiday Snaps.avi"), "HOLIDA~1.AVI");
  EXPECT_EQ(aliases.at("Holiday Video.avi"), "HOLIDA~2.AVI");
  EXPECT_EQ(aliases.at("readme.txt"), "README.TXT");
  EXPECT_EQ(aliases.at("My Long Document.doc"), "MYLONG~1.DOC");
  EXPECT_EQ(aliases.at("a+b,c;d=e.tar.gz"), "A_B_C_~1.GZ");
  EXPECT_EQ(aliases.at(".profile"), "PROFIL~1");
  EXPECT_EQ(aliases.at("noext long name"), "NOEXTL~1");
  EXPECT_EQ(aliases.count("BACKUP.ZIP"), 0u);
}

TEST(ShortName, AliasBasesDifferSoThatPiecesCannotCollide) {
  // Different extensions, same first six characters: a FAT disk would give both "~1".
  auto aliases = AssignShortNames({"Holiday Video.avi", "Holiday Photos.zip"}, kPage437);
  EXPECT_EQ(aliases.at("Holiday Photos.zip"), "HOLIDA~1.ZIP");
  EXPECT_EQ(aliases.at("Holiday Video.avi"), "HOLIDA~2.AVI");
  // Pieces of an earlier run hold their base even when their source has gone.
  aliases = AssignShortNames({"HOLIDA~1.000", "HOLIDA~1.001", "Join-Holiday Video.avi.bat",
                              "Holiday Photos.zip"}, kPage437);
  EXPECT_EQ(aliases.at("Holiday Photos.zip"), "HOLIDA~2.ZIP");
  EXPECT_EQ(aliases.at("Join-Holiday Video.avi.bat"), "JOIN-H~1.BAT");
}

TEST(ShortName, AliasesAvoidRealNamesAndGrowTheirTail) {
  std::vector<std::string> names = {"HOLIDA~1.AVI", "readme.txt", "README.TXT"};
  for (int n = 0; n < 11; ++n) names.push_back("Holiday " + std::to_string(n) + ".avi");
  const auto aliases = AssignShortNames(names, kPage437);
  EXPECT_EQ(aliases.at("readme.txt"), "README~1.TXT");
  EXPECT_EQ(aliases.at("Holiday 0.avi"), "HOLIDA~2.AVI");
  EXPECT_EQ(aliases.at("Holiday 1.avi"), "HOLIDA~3.AVI");
  EXPECT_EQ(aliases.at("Holiday 10.avi"), "HOLIDA~4.AVI");  // byte order: 0, 1, 10, 2, ...
  EXPECT_EQ(aliases.at("Holiday 9.avi"), "HOLID~12.AVI");
  std::set<std::string> unique;
  for (const auto& [name, alias] : aliases) EXPECT_TRUE(unique.insert(alias).second) << alias;
}

using PosixDrives = SplitFixture;

TEST_F(PosixDrives, DosPathsReachHostFilesWithoutCaseAndByAlias) {
  MakeFolder(Host('C', "Long Folder"));
  WriteHostFile(Host('C', "Long Folder/Holiday Video.avi"), "video");
  std::string host;
  ASSERT_TRUE(posix_.ToHostPath("C:\\long folder\\HOLIDAY VIDEO.AVI", &host));
  EXPECT_EQ(host, Host('C', "Long Folder/Holiday Video.avi"));
  ASSERT_TRUE(posix_.ToHostPath("c:\\LONGFO~1\\HOLIDA~1.AVI", &host));
  EXPECT_EQ(host, Host('C', "Long Folder/Holiday Video.avi"));
  ASSERT_TRUE(posix_.ToHostPath("C:\\Out\\..\\..\\..\\Data\\NEW.000", &host));
  EXPECT_EQ(host, Host('C', "Data/NEW.000")) << "never above the drive's folder";
  EXPECT_FALSE(posix_.ToHostPath("Q:\\X", &host));

  FoundFile found;
  ASSERT_TRUE(posix_.FindFile("C:\\Long Folder\\Holiday Video.avi", &found));
  EXPECT_EQ(found.name, "Holiday Video.avi");
  EXPECT_EQ(found.alternateName, "HOLIDA~1.AVI");
  EXPECT_EQ(found.size, 5u);
  EXPECT_FALSE(found.isDirectory);
  ASSERT_TRUE(posix_.FindFile("C:\\Out", &found));
  EXPECT_TRUE(found.isDirectory);
  EXPECT_EQ(found.alternateName, "OUT");
  EXPECT_FALSE(posix_.FindFile("C:\\Nothing.txt", &found));
}

TEST_F(PosixDrives, LookupsSeeWhatOthersChangeInAFolderTheyListed) {
  // Names are listed once per folder state; a change by another program must show.
  const std::string out = Host('C', "Out");
  const auto touch = [&](long seconds) {  // a distinct folder time, as a later change has
    const timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, out.c_str(), times, 0), 0);
  };
  std::string host;
  for (int n = 0; n < 3; ++n) {  // our own pieces keep the listing current
    const std::string piece = "C:\\Out\\PIECE.00" + std::to_string(n);
    std::uint32_t error = 0;
    const FileHandle file = posix_.CreateForWriting(piece, &error);
    ASSERT_NE(file, kInvalidFile);
    posix_.CloseFile(file);
  }
  ASSERT_TRUE(posix_.ToHostPath("C:\\Out\\NEW.TXT", &host));
  EXPECT_EQ(host, out + "/NEW.TXT");
  WriteHostFile(out + "/new.txt", "theirs");
  touch(1000000000);
  ASSERT_TRUE(posix_.ToHostPath("C:\\Out\\NEW.TXT", &host));
  EXPECT_EQ(host, out + "/new.txt") << "a file made by another program";
  ASSERT_TRUE(posix_.ToHostPath("C:\\Out\\piece.002", &host));
  EXPECT_EQ(host, out + "/PIECE.002");
  fs::rename(out + "/PIECE.002", out + "/Piece.002");
  touch(1000000001);
  ASSERT_TRUE(posix_.ToHostPath("C:\\Out\\PIECE.002", &host));
  EXPECT_EQ(host, out + "/Piece.002") << "a file renamed by another program";
}

TEST_F(PosixDrives, KeptFoldersNeverOutliveWhatTheirNamesMean) {
  // Each row: the first lookup keeps its folder; after the change, every lookup must see
  // what a walk of the host folders sees now.
  const std::string out = Host('C', "Out");
  const auto touch = [&](const std::string& folder, long seconds) {
    const timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, folder.c_str(), times, 0), 0);
  };
  struct Row {
    const char* what;
    const char* folder;  // made before the first lookup, under Out
    const char* path;
    std::function<void()> change;
    const char* expected;  // host path under Out after the change
  };
  const Row rows[] = {
      {"a folder removed and made again under another case", "Sub", "C:\\Out\\Sub\\PIECE.000",
       [&] {
         fs::remove_all(out + "/Sub");
         MakeFolder(out + "/SUB");
       },
       "SUB/PIECE.000"},
      {"a folder renamed through the System", "Sub", "C:\\Out\\SUB\\PIECE.000",
       [&] {
         std::uint32_t error = 0;
         ASSERT_TRUE(posix_.RenameNoReplace("C:\\Out\\Sub", "C:\\Out\\Old", &error));
         MakeFolder(out + "/sub");
       },
       "sub/PIECE.000"},
      {"a folder's alias taken by a folder made later", "Long Folder Two",
       "C:\\Out\\LONGFO~1\\PIECE.000",
       [&] {
         MakeFolder(out + "/Long Folder One");
         touch(out, 1000000000);
       },
       "Long Folder One/PIECE.000"},
      {"a piece name made by another program in a kept folder", "Sub",
       "C:\\Out\\Sub\\PIECE.000",
       [&] {
         WriteHostFile(out + "/Sub/piece.000", "theirs");
         touch(out + "/Sub", 1000000000);
       },
       "Sub/piece.000"},
      {"a piece name that is now another file's alias", "Sub", "C:\\Out\\Sub\\HOLIDA~1.000",
       [&] {
         WriteHostFile(out + "/Sub/Holiday Photos.000", "theirs");
         touch(out + "/Sub", 1000000000);
       },
       "Sub/Holiday Photos.000"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    fs::remove_all(out);
    MakeFolder(out);
    MakeFolder(out + "/" + row.folder);
    std::string host;
    FoundFile found;
    ASSERT_TRUE(posix_.ToHostPath(row.path, &host));
    EXPECT_FALSE(posix_.FindFile(row.path, &found));
    // The run's own pieces beside it keep the folder's listing current.
    const std::string folder = std::string(row.path).substr(0, std::string(row.path).rfind('\\'));
    const FileHandle own = posix_.CreateForWriting(folder + "\\OWN.000", nullptr);
    ASSERT_NE(own, kInvalidFile);
    posix_.CloseFile(own);
    row.change();
    ASSERT_TRUE(posix_.ToHostPath(row.path, &host));
    EXPECT_EQ(host, out + "/" + row.expected);
    const bool there = fs::exists(out + "/" + row.expected);
    EXPECT_EQ(posix_.FindFile(row.path, &found), there);
    EXPECT_EQ(posix_.IsSameFile(row.path, folder + "\\OWN.000"), false);
    if (there) {
      EXPECT_EQ(found.name, fs::path(row.expected).filename().string());
    } else {  // a new piece lands where the name now leads
      const FileHandle made = posix_.CreateForWriting(row.path, nullptr);
      ASSERT_NE(made, kInvalidFile);
      posix_.CloseFile(made);
      EXPECT_TRUE(fs::is_regular_file(out + "/" + row.expected));
    }
  }
}

TEST_F(PosixDrives, SameFileSeesThroughCaseAliasesAndLinks) {
  WriteHostFile(Host('C', "Data/Some File.bin"), "x");
  WriteHostFile(Host('C', "Data/OTHER.BIN"), "x");
  ASSERT_EQ(link(Host('C', "Data/Some File.bin").c_str(), Host('C', "Out/LINKED.BIN").c_str()), 0);
  EXPECT_TRUE(posix_.IsSameFile("C:\\Data\\Some File.bin", "c:\\data\\SOMEFI~1.BIN"));
  EXPECT_TRUE(posix_.IsSameFile("C:\\Data\\Some File.bin", "C:\\Out\\LINKED.BIN"));
  EXPECT_FALSE(posix_.IsSameFile("C:\\Data\\Some File.bin", "C:\\Data\\OTHER.BIN"));
  EXPECT_FALSE(posix_.IsSameFile("C:\\Data\\Some File.bin", "C:\\Data\\MISSING.BIN"));
}

TEST_F(PosixDrives, DriveTableAnswersTypeAndSimulatedCapacity) {
  EXPECT_EQ(posix_.DriveTypeOf("A:\\"), DriveType::Removable);
  EXPECT_EQ(posix_.DriveTypeOf("c:\\"), DriveType::Fixed);
  EXPECT_EQ(posix_.DriveTypeOf("Q:\\"), DriveType::NoRootDir);
  EXPECT_GT(posix_.FreeBytes("C:\\"), 0u) << "the host disk's free space";

  ResizeFloppy(10000);
  EXPECT_EQ(posix_.FreeBytes("A:\\"), 10000u);
  std::uint32_t error = 0;
  const FileHandle file = posix_.CreateForWriting("A:\\X.000", &error);
  ASSERT_NE(file, kInvalidFile);
  const std::string bytes(6000, 'x');
  EXPECT_TRUE(posix_.WriteFile(file, bytes.data(), 6000).ok);
  EXPECT_EQ(posix_.FreeBytes("A:\\"), 4000u);
  const IoResult full = posix_.WriteFile(file, bytes.data(), 6000);
  EXPECT_FALSE(full.ok);
  EXPECT_EQ(full.error, kErrorDiskFull);
  EXPECT_EQ(full.bytes, 4000u) << "fills the disk like a real one";
  posix_.CloseFile(file);
  EXPECT_EQ(posix_.FreeBytes("A:\\"), 0u);

  ASSERT_TRUE(posix_.ChangeDisk('A', DiskFolder(1)));
  EXPECT_EQ(posix_.FreeBytes("A:\\"), 10000u) << "a fresh disk";
  EXPECT_EQ(fs::file_size(DiskFolder(1) + "/X.000"), 10000u);
}

TEST_F(PosixDrives, FileErrorsUseWin32Codes) {
  std::uint32_t error = 0;
  EXPECT_EQ(posix_.OpenForReading("C:\\Data\\MISSING.BIN", &error), kInvalidFile);
  EXPECT_EQ(error, kErrorFileNotFound);
  EXPECT_EQ(posix_.OpenForReading("C:\\Data", &error), kInvalidFile);
  EXPECT_EQ(error, kErrorAccessDenied) << "a folder is not a file";
  EXPECT_EQ(posix_.CreateForWriting("C:\\Out", &error), kInvalidFile);
  EXPECT_EQ(error, kErrorAccessDenied);
  EXPECT_EQ(posix_.CreateForWriting("C:\\No\\Such\\X.000", &error), kInvalidFile);
  EXPECT_EQ(error, kErrorFileNotFound);
}

TEST_F(PosixDrives, NeverWritesThroughALinkNorIntoAFifo) {
  WriteHostFile(Host('C', "Data/OUTSIDE.BIN"), "not to be touched");
  ASSERT_EQ(symlink(Host('C', "Data/OUTSIDE.BIN").c_str(), Host('C', "Out/SYM.000").c_str()), 0);
  ASSERT_EQ(symlink(Host('C', "Data/NEW.BIN").c_str(), Host('C', "Out/DANGLING.000").c_str()), 0);
  ASSERT_EQ(link(Host('C', "Data/OUTSIDE.BIN").c_str(), Host('C', "Out/HARD.000").c_str()), 0);
  ASSERT_EQ(mkfifo(Host('C', "Out/FIFO.000").c_str(), 0644), 0);
  for (const char* name : {"C:\\Out\\SYM.000", "C:\\Out\\DANGLING.000", "C:\\Out\\HARD.000",
                           "C:\\Out\\FIFO.000"}) {
    SCOPED_TRACE(name);
    std::uint32_t error = 0;
    EXPECT_EQ(posix_.CreateForWriting(name, &error), kInvalidFile);
    EXPECT_EQ(error, kErrorAccessDenied);
  }
  EXPECT_EQ(ReadHostFile(Host('C', "Data/OUTSIDE.BIN")), "not to be touched");
  EXPECT_FALSE(fs::exists(Host('C', "Data/NEW.BIN")));
  // A file of its own is still replaced, as CREATE_ALWAYS does.
  WriteHostFile(Host('C', "Out/OWN.000"), "old bytes");
  const FileHandle own = posix_.CreateForWriting("C:\\Out\\OWN.000", nullptr);
  ASSERT_NE(own, kInvalidFile);
  EXPECT_TRUE(posix_.WriteFile(own, "new", 3).ok);
  posix_.CloseFile(own);
  EXPECT_EQ(ReadHostFile(Host('C', "Out/OWN.000")), "new");
}

}  // namespace
}  // namespace parcelo
