// parcelo95 split and options under faults: no write through a link, no join file cut
// short, the cause under the program's own message, and settings that could not be stored
// are not reported as stored.
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "cli_run.h"

namespace parcelo {
namespace {
namespace fs = std::filesystem;

using CliSplitFaults = CliTest;

const char kNoReminders[] = "--set=NoReminders=1";
const char kCreateFailed[] = "Error creating destination file.\nDrive may be full.\n";
const char kJoinFailed[] = "Unable to write join file, drive may be full.\n";

TEST_F(CliSplitFaults, NeverWritesThroughALinkInTheDestination) {
  const struct {
    const char* what;
    const char* link;  // in Out, or in Backup
    std::vector<std::string> extra;
    int status;
    std::string err;
    std::vector<std::string> out;  // what Out holds afterwards
  } cases[] = {
      {"a piece", "Out/SRC.001", {}, 1,
       std::string(kCreateFailed) + "Reason: Too many levels of symbolic links\n"
                                    "(no terminal to ask: answered Cancel)\n",
       {"SRC.000", "SRC.001"}},
      {"the join file", "Out/Join-SRC.DAT.bat", {}, 1,
       std::string(kJoinFailed) + "Reason: \"Join-SRC.DAT.bat\" is a symbolic link, not a file.\n",
       {"Join-SRC.DAT.bat"}},
      {"a backup piece", "Backup/SRC.000", {"--backup", "Backup"}, 0,
       "Error creating backup of destination file. Backups have been disabled.\nReason: Too many "
       "levels of symbolic links\n",
       {"Join-SRC.DAT.bat", "SRC.000", "SRC.001", "SRC.002", "SRC.SFV"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(Path("Out"));
    fs::remove_all(Path("Backup"));
    MakeFolder("Out");
    MakeFolder("Backup");
    MakeFile("SRC.DAT", 2500);
    Write("outside.txt", "a file outside the destination");
    ASSERT_EQ(symlink(Path("outside.txt").c_str(), Path(c.link).c_str()), 0);
    std::vector<std::string> arguments = {"split", "SRC.DAT", "Out", "--size", "1000", kNoReminders};
    arguments.insert(arguments.end(), c.extra.begin(), c.extra.end());
    const CliResult result = Run(arguments);
    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(result.err, c.err);
    EXPECT_EQ(Read("outside.txt"), "a file outside the destination");
    EXPECT_EQ(List("Out"), c.out);
    EXPECT_TRUE(fs::is_symlink(Path(c.link)));
  }
}

TEST_F(CliSplitFaults, AJoinFileThatDoesNotFitIsRemoved) {
  std::string why;
  if (!MountSmallDisk("Small", 4 * 4096, &why)) GTEST_SKIP() << why << "; as root it runs";
  // Four pieces of one page fill the disk to the byte: the join file (or the checksum file,
  // which comes first) is made, but no byte of it fits.
  MakeFile("SRC.DAT", 4 * 4096);
  CliResult result =
      Run({"split", "SRC.DAT", "Small", "--size", "4096", kNoReminders, "--no-checksums"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, std::string(kJoinFailed) + "Reason: No space left on device\n");
  EXPECT_EQ(List("Small"), (std::vector<std::string>{"SRC.000", "SRC.001", "SRC.002", "SRC.003"}));

  result = Run({"split", "SRC.DAT", "Small", "--size", "4096", kNoReminders});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "Unable to write checksum file, drive may be full.\nReason: No space left "
                        "on device\n");
  EXPECT_EQ(List("Small"), (std::vector<std::string>{"SRC.000", "SRC.001", "SRC.002", "SRC.003"}));
}

TEST_F(CliSplitFaults, TheCauseStandsUnderTheProgramsOwnMessage) {
  MakeFile("SRC.DAT", 2500);
  MakeFolder("Out");
  MakeFolder("ReadOnly");
  if (!RunUnprivileged()) GTEST_SKIP() << "no setpriv to leave root's rights behind";
  fs::permissions(Path("ReadOnly"), kReadOnlyForAll);
  CliResult result = Run({"split", "SRC.DAT", "ReadOnly", "--size", "1000"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, std::string(kCreateFailed) +
                            "Reason: Permission denied\n(no terminal to ask: answered Cancel)\n");
  EXPECT_TRUE(List("ReadOnly").empty());

  fs::permissions(Path("SRC.DAT"), fs::perms::none);
  result = Run({"split", "SRC.DAT", "Out", "--size", "1000"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err,
            "Unable to open source file. File may be in use by another program.\n\nThis commonly "
            "happens when splitting .exe's and .dll's. If that's the case, try making a copy of "
            "the source file or restarting your computer.\nReason: Permission denied\n");
  EXPECT_TRUE(List("Out").empty());
}

TEST_F(CliSplitFaults, NamesNoWindowsFileCanHaveAreRefused) {
  // Their join file would name another file, put a line of the name's choosing into it, or
  // give back a name that Windows cuts short.
  const std::string character =
      "The source file's name holds a character that DOS and Windows do not allow in a file "
      "name (one of \\ / : * ? \" < > | or a control character). Rename it before splitting.\n";
  const std::string ending =
      "The source file's name ends in a dot or a blank, which Windows drops from a file name: "
      "its join file could not give the name back. Rename it before splitting.\n";
  const struct {
    const char* name;
    const std::string& err;
  } cases[] = {
      {"a:b.dat", character}, {"say \"hi\".dat", character}, {"two\r\nDEL x.dat", character},
      {"tab\tx", character},  {"a|b", character},            {"q?.dat", character},
      {"notes.", ending},     {"notes ", ending},           {"...", ending},
      {"notes. ", ending},
  };
  MakeFolder("Out");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MakeFile(c.name, 2500);
    const CliResult result = Run({"split", c.name, "Out", "--size", "1000"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, c.err);
    EXPECT_TRUE(List("Out").empty());
  }
}

TEST_F(CliSplitFaults, WhatWouldFailAfterThePiecesIsRefusedBeforeTheFirst) {
  timeoutSeconds_ = 20;  // a FIFO that is opened blocks until then
  const std::string checksumFailed = "Unable to write checksum file, drive may be full.\nReason: ";
  const std::string joinFailed = std::string(kJoinFailed).substr(0, std::strlen(kJoinFailed) - 1) +
                                 "\nReason: ";
  enum class Kind { Folder, Fifo, Link };
  const struct {
    const char* what;
    const char* taken;  // what stands in Out under the name, or nullptr
    Kind kind;
    std::string source;  // in In, split into Out
    std::vector<std::string> extra;
    int status;
    std::string err;
  } cases[] = {
      {"a folder as the checksum file", "SRC.SFV", Kind::Folder, "SRC.DAT", {}, 1,
       checksumFailed + "\"SRC.SFV\" is a folder, not a file.\n"},
      {"a FIFO as the checksum file", "SRC.SFV", Kind::Fifo, "SRC.DAT", {}, 1,
       checksumFailed + "\"SRC.SFV\" is a FIFO, not a file.\n"},
      {"a link as the checksum file", "SRC.SFV", Kind::Link, "SRC.DAT", {}, 1,
       checksumFailed + "\"SRC.SFV\" is a symbolic link, not a file.\n"},
      {"a folder as the checksum file, none asked for", "SRC.SFV", Kind::Folder, "SRC.DAT",
       {"--no-checksums"}, 0, ""},
      {"a folder as the recovery index file", "SRC.par2", Kind::Folder, "SRC.DAT",
       {"--recovery", "10"}, 1,
       "Unable to write recovery files, drive may be full.\nReason: \"SRC.par2\" is a folder, "
       "not a file.\n"},
      {"a FIFO as the recovery index file", "SRC.par2", Kind::Fifo, "SRC.DAT",
       {"--recovery", "10"}, 1,
       "Unable to write recovery files, drive may be full.\nReason: \"SRC.par2\" is a FIFO, not "
       "a file.\n"},
      {"a folder as the join file", "Join-SRC.DAT.bat", Kind::Folder, "SRC.DAT", {}, 1,
       joinFailed + "\"Join-SRC.DAT.bat\" is a folder, not a file.\n"},
      {"a FIFO as the join file", "Join.bat", Kind::Fifo, "SRC.DAT",
       {"--set=UseLongJoinBatName=0"}, 1, joinFailed + "\"Join.bat\" is a FIFO, not a file.\n"},
      // The rebuilt file would take the name of a file the join file still reads, or of one
      // beside it.
      {"a source named like its second piece", nullptr, Kind::Folder, "x.001", {}, 1,
       "\"x.001\" cannot be rebuilt under the name X.001: a file of this split has that name, "
       "and rebuilding would write over it. Rename the source file, then split again.\n"},
      {"a source named like its checksum file", nullptr, Kind::Folder, "X.SFV", {}, 1,
       "\"X.SFV\" cannot be rebuilt under the name X.SFV: a file of this split has that name, "
       "and rebuilding would write over it. Rename the source file, then split again.\n"},
      {"a source named like its checksum file, none written", nullptr, Kind::Folder, "X.SFV",
       {"--no-checksums"}, 0, ""},
      {"a source named like its join file", nullptr, Kind::Folder, "Join.bat",
       {"--set=UseLongJoinBatName=0"}, 1,
       "\"Join.bat\" cannot be rebuilt under the name JOIN.BAT: a file of this split has that "
       "name, and rebuilding would write over it. Rename the source file, then split again.\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(Path("Out"));
    fs::remove_all(Path("In"));
    MakeFolder("Out");
    const std::string source = MakeFile("In/" + c.source, 2500);
    Write("outside.txt", "a file outside the destination");
    if (c.taken != nullptr) {
      const std::string taken = Path(std::string("Out/") + c.taken);
      switch (c.kind) {
        case Kind::Folder: MakeFolder(std::string("Out/") + c.taken); break;
        case Kind::Fifo: ASSERT_EQ(mkfifo(taken.c_str(), 0644), 0); break;
        case Kind::Link: ASSERT_EQ(symlink(Path("outside.txt").c_str(), taken.c_str()), 0); break;
      }
    }
    std::vector<std::string> arguments = {"split", "In/" + c.source, "Out", "--size", "1000",
                                          kNoReminders};
    arguments.insert(arguments.end(), c.extra.begin(), c.extra.end());
    const CliResult result = Run(arguments);
    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(result.err, c.err);
    if (c.status != 0) {
      EXPECT_EQ(List("Out"), c.taken != nullptr ? std::vector<std::string>{c.taken}
                                                : std::vector<std::string>{})
          << "no piece written";
    }
    EXPECT_EQ(Read("In/" + c.source), source);
    EXPECT_EQ(Read("outside.txt"), "a file outside the destination");
  }

  // A source named like its join file, split in its own folder.
  for (const char* flag : {"--set=UseLongJoinBatName=0", "--set=Use DOS 8.3=1"}) {
    SCOPED_TRACE(flag);
    fs::remove_all(Path("In"));
    const std::string source = MakeFile("In/Join.bat", 2500);
    const CliResult result = Run({"split", "In/Join.bat", "--size", "1000", flag, kNoReminders});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, joinFailed + "Join.bat is the source file itself\n");
    EXPECT_EQ(List("In"), std::vector<std::string>{"Join.bat"});
    EXPECT_EQ(Read("In/Join.bat"), source);
  }

  // A source named like the recovery index file of its pieces (without 8.3 aliases the
  // pieces keep its base), split in its own folder: an earlier run's index would go, the
  // source never does.
  shortNames_ = false;
  for (const bool recovery : {false, true}) {
    SCOPED_TRACE(recovery ? "with recovery files" : "without");
    fs::remove_all(Path("In"));
    const std::string source = MakeFile("In/SRC.par2", 2500);
    std::vector<std::string> arguments = {"split", "In/SRC.par2", "--size", "1000", kNoReminders};
    if (recovery) arguments.insert(arguments.end(), {"--recovery", "10"});
    const CliResult result = Run(arguments);
    EXPECT_EQ(result.status, recovery ? 1 : 0) << result.err;
    if (recovery) {
      EXPECT_EQ(result.err, "Unable to write recovery files, drive may be full.\nReason: "
                            "SRC.par2 is the source file itself\n");
    }
    EXPECT_EQ(Read("In/SRC.par2"), source);
    std::vector<std::string> left = List("In");
    EXPECT_EQ(left.size(), recovery ? 1u : 6u);  // and three pieces, the checksum and join files
  }
}

TEST_F(CliSplitFaults, RefusalsGiveTheirTrueCause) {
  timeoutSeconds_ = 20;  // a FIFO that is read blocks until then
  // S.000 split in its own folder: its first piece would be the source itself.
  const std::string source = MakeFile("In/S.000", 2500);
  MakeFolder("Out");
  CliResult result = Run({"split", "In/S.000", "--size", "1000", kNoReminders});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "\"S.000\" cannot be rebuilt under the name S.000: a file of this split "
                        "has that name, and rebuilding would write over it. Rename the source "
                        "file, then split again.\n");
  EXPECT_EQ(List("In"), std::vector<std::string>{"S.000"});
  EXPECT_EQ(Read("In/S.000"), source);

  // Files that are not regular ones have no size to cut by.
  ASSERT_EQ(mkfifo(Path("In/pipe").c_str(), 0644), 0);
  const struct {
    std::string source;
    const char* kind;
  } odd[] = {{"In/pipe", "a FIFO"}, {"/dev/null", "a character device"}};
  for (const auto& c : odd) {
    SCOPED_TRACE(c.source);
    result = Run({"split", c.source, "Out", "--size", "1000", kNoReminders});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err,
              "Cannot split " + c.source + ": it is " + c.kind + ", not a regular file.\n");
    EXPECT_TRUE(List("Out").empty());
  }
  EXPECT_EQ(List("In"), (std::vector<std::string>{"S.000", "pipe"}));
}

TEST_F(CliSplitFaults, SettingsThatCannotBeStoredAreNotReportedAsStored) {
  const std::string store = Path("config/parcelo95/registry.reg");
  // A file where the settings folder should be: nothing can be stored, even as root.
  fs::remove_all(Path("config"));
  Write("config/parcelo95", "not a folder");
  CliResult result = Run({"options", "--set", "MoreMem=1"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "The options were not saved (" + store + ": Not a directory).\n");
  EXPECT_EQ(result.out, "");

  MakeFile("SRC.DAT", 2500);
  result = Run({"split", "SRC.DAT", "--size", "1000", kNoReminders});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "The options could not be read or stored (" + store +
                            ": Not a directory); the defaults hold for this run.\n");
  EXPECT_TRUE(Exists("Join-SRC.DAT.bat")) << "the defaults name the join file";
  EXPECT_EQ(Read("config/parcelo95"), "not a folder");

  // A store that cannot be written, or not even read, is left as it was.
  fs::remove_all(Path("config"));
  MakeFolder("config");
  ASSERT_EQ(Run({"options", "--set", "MoreMem=1"}).status, 0);
  const std::string stored = Read("config/parcelo95/registry.reg");
  if (!RunUnprivileged()) GTEST_SKIP() << "no setpriv to leave root's rights behind";
  fs::permissions(Path("config/parcelo95"), kReadOnlyForAll);
  result = Run({"options", "--set", "AlwaysOnTop=1"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "The options were not saved (" + store + ": Permission denied).\n");
  fs::permissions(Path("config/parcelo95"), fs::perms::all);
  fs::permissions(store, fs::perms::none);
  result = Run({"options", "--set", "AlwaysOnTop=1"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "The options were not saved (" + store + ": Permission denied).\n");
  fs::permissions(store, fs::perms::owner_read | fs::perms::others_read);
  EXPECT_EQ(Read("config/parcelo95/registry.reg"), stored);
  EXPECT_EQ(List("config/parcelo95"), std::vector<std::string>{"registry.reg"});
}

}  // namespace
}  // namespace parcelo
