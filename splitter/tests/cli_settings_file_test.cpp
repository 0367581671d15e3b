// The file that keeps the option flags on POSIX: never written through a link, never
// waited on when it is a FIFO, and a failure gives its true cause.
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "cli_run.h"

namespace parcelo {
namespace {
namespace fs = std::filesystem;

using CliSettingsFile = CliTest;

const char kNoReminders[] = "--set=NoReminders=1";

std::string Listing(int moreMem) {
  return "Use DOS 8.3=0\nUseLongJoinBatName=1\nBackupPrompt=1\nDeletePrompt=0\nCloseWhenDone=1\n"
         "NoReminders=0\nMoreMem=" +
         std::to_string(moreMem) + "\nAlwaysOnTop=0\n";
}

TEST_F(CliSettingsFile, NothingAtTheTemporaryNameIsWrittenThroughOrWaitedOn) {
  timeoutSeconds_ = 20;  // a FIFO that is opened blocks until then
  const std::string victim = "the user's own file";
  enum class Kind { SymbolicLink, DanglingLink, HardLink, Fifo };
  const struct {
    const char* what;
    Kind kind;
  } cases[] = {
      {"a symbolic link", Kind::SymbolicLink},
      {"a symbolic link to nothing", Kind::DanglingLink},
      {"a hard link", Kind::HardLink},
      {"a FIFO", Kind::Fifo},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(Path("config"));
    fs::remove_all(Path("victim.txt"));
    MakeFolder("config/parcelo95");
    Write("victim.txt", victim);
    const std::string temporary = Path("config/parcelo95/registry.reg.new");
    switch (c.kind) {
      case Kind::SymbolicLink: ASSERT_EQ(symlink(Path("victim.txt").c_str(), temporary.c_str()), 0); break;
      case Kind::DanglingLink: ASSERT_EQ(symlink(Path("absent.txt").c_str(), temporary.c_str()), 0); break;
      case Kind::HardLink: ASSERT_EQ(link(Path("victim.txt").c_str(), temporary.c_str()), 0); break;
      case Kind::Fifo: ASSERT_EQ(mkfifo(temporary.c_str(), 0644), 0); break;
    }
    struct stat before;
    ASSERT_EQ(lstat(temporary.c_str(), &before), 0);

    CliResult result = Run({"options", "--set", "MoreMem=1"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out, Listing(1));
    result = Run({"options"});
    EXPECT_EQ(result.out, Listing(1)) << "stored";

    EXPECT_EQ(Read("victim.txt"), victim);
    EXPECT_FALSE(Exists("absent.txt"));
    struct stat after;
    ASSERT_EQ(lstat(temporary.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(List("config/parcelo95"),
              (std::vector<std::string>{"registry.reg", "registry.reg.new"}));
    EXPECT_EQ(List(".").size(), 2u) << "config and victim.txt";
  }
}

TEST_F(CliSettingsFile, AFileThatIsNoSettingsFileIsRefusedAtOnce) {
  timeoutSeconds_ = 20;  // a FIFO that is read, or a huge file read whole, runs past it
  const std::string store = Path("config/parcelo95/registry.reg");
  const struct {
    const char* what;
    bool fifo;
    const char* cause;
  } cases[] = {
      {"a FIFO", true, ": a FIFO, not a regular file"},
      // The stored settings, then zeros up to 1 GiB.
      {"a huge file", false, ": larger than 1 MiB, too large for a settings file"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(Path("config"));
    for (const std::string& name : List(".")) fs::remove_all(Path(name));
    std::string stored;
    if (c.fifo) {
      MakeFolder("config/parcelo95");
      ASSERT_EQ(mkfifo(store.c_str(), 0644), 0);
    } else {
      MakeFolder("config");
      ASSERT_EQ(Run({"options", "--set", "MoreMem=1"}).status, 0);
      fs::resize_file(store, std::uintmax_t{1} << 30);
    }
    const std::string cause = store + c.cause;

    CliResult result = Run({"options"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err,
              "The options could not be read or stored (" + cause + "); the defaults are shown.\n");
    EXPECT_EQ(result.out, Listing(0));

    result = Run({"options", "--set", "MoreMem=1"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "The options were not saved (" + cause + ").\n");
    EXPECT_EQ(result.out, "");

    const std::string source = MakeFile("SRC.DAT", 2500);
    result = Run({"split", "SRC.DAT", "--size", "1000", kNoReminders});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "The options could not be read or stored (" + cause +
                              "); the defaults hold for this run.\n");
    EXPECT_EQ(List("."), (std::vector<std::string>{"Join-SRC.DAT.bat", "SRC.000", "SRC.001",
                                                   "SRC.002", "SRC.DAT", "SRC.SFV", "config"}));
    EXPECT_EQ(Read("SRC.DAT"), source);

    EXPECT_EQ(List("config/parcelo95"), std::vector<std::string>{"registry.reg"});
    struct stat info;
    ASSERT_EQ(lstat(store.c_str(), &info), 0);
    if (c.fifo) {
      EXPECT_TRUE(S_ISFIFO(info.st_mode));
    } else {
      EXPECT_EQ(info.st_size, off_t{1} << 30) << "never written over";
    }
  }
}

TEST_F(CliSettingsFile, AReadOnlyDiskIsNamedAsTheCause) {
  std::string why;
  if (!MountSmallDisk("config", 64 * 1024, &why)) GTEST_SKIP() << why << "; as root it runs";
  if (mount(nullptr, Path("config").c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) != 0) {
    GTEST_SKIP() << "cannot make the disk read-only: " << std::strerror(errno);
  }
  const std::string cause = Path("config/parcelo95") + ": Read-only file system";

  CliResult result = Run({"options", "--set", "MoreMem=1"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "The options were not saved (" + cause + ").\n");
  EXPECT_EQ(result.out, "");

  result = Run({"options"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err,
            "The options could not be read or stored (" + cause + "); the defaults are shown.\n");
  EXPECT_EQ(result.out, Listing(0));

  MakeFile("SRC.DAT", 2500);
  result = Run({"split", "SRC.DAT", "--size", "1000", kNoReminders});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "The options could not be read or stored (" + cause +
                            "); the defaults hold for this run.\n");
  EXPECT_TRUE(List("config").empty());
}

}  // namespace
}  // namespace parcelo
