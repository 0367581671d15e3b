// parcelo95 join held at a known step by real means, then interrupted by a real signal or
// overtaken by a second join: it takes back what it made and says one true thing.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#include "cli_run.h"

extern char** environ;

namespace parcelo {
namespace {
namespace fs = std::filesystem;

using CliJoinInterrupt = CliTest;
using Clock = std::chrono::steady_clock;

constexpr auto kPatience = std::chrono::seconds(30);

const char kHeader[] =
    "@ECHO OFF\r\nECHO.Make sure ALL the pieces are in this directory.\r\nECHO.Recombining "
    "files...\r\nECHO.\r\n";
const char kFooter[] = "\r\nECHO.\r\nECHO.Done.";

// An ECHO line longer than the pipe holds: the join blocks in it until the pipe is read.
std::string LongEcho() { return "ECHO." + std::string(20000, 'x') + "\r\n"; }

// parcelo95 join FOLDER in the background, its standard output a pipe of one page that is
// read only when the test says so. Killed at the end if it still runs.
class HeldJoin {
 public:
  HeldJoin(const std::string& folder, const std::string& errFile) {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) return;
    fcntl(ends[0], F_SETPIPE_SZ, 4096);
    capacity_ = fcntl(ends[0], F_GETPIPE_SZ);
    fcntl(ends[0], F_SETFL, O_NONBLOCK);
    reader_ = ends[0];
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, ends[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t signals;
    sigemptyset(&signals);
    posix_spawnattr_setsigmask(&attributes, &signals);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&signals, signal);
    posix_spawnattr_setsigdefault(&attributes, &signals);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    const std::string binary = PARCELO95_BINARY;
    char* arguments[] = {const_cast<char*>(binary.c_str()), const_cast<char*>("join"),
                         const_cast<char*>(folder.c_str()), nullptr};
    if (posix_spawn(&pid_, binary.c_str(), &actions, &attributes, arguments, environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    close(ends[1]);
  }

  ~HeldJoin() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (reader_ >= 0) close(reader_);
  }

  bool Started() const { return pid_ > 0 && reader_ >= 0 && capacity_ > 0; }

  // True once the pipe is full and the join blocked writing to it and ready() holds.
  bool WaitBlocked(const std::function<bool()>& ready) {
    return WaitFor([&] {
      int held = 0;
      return ioctl(reader_, FIONREAD, &held) == 0 && held >= capacity_ && ready();
    });
  }

  // Reads what the join writes until done() holds; false after kPatience.
  bool DrainUntil(const std::function<bool()>& done) {
    return WaitFor([&] {
      char chunk[4096];
      while (read(reader_, chunk, sizeof chunk) > 0) {
      }
      return done();
    });
  }

  void Signal(int signal) { kill(pid_, signal); }

  // The wait status once the join has ended, reading what it writes meanwhile; -1 after
  // kPatience.
  int Wait() {
    int status = -1;
    const bool ended = DrainUntil([&] { return waitpid(pid_, &status, WNOHANG) == pid_; });
    if (!ended) return -1;
    pid_ = -1;
    return status;
  }

 private:
  static bool WaitFor(const std::function<bool()>& condition) {
    const auto end = Clock::now() + kPatience;
    while (Clock::now() < end) {
      if (condition()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
  }

  pid_t pid_ = -1;
  int reader_ = -1;
  int capacity_ = 0;
};

TEST_F(CliJoinInterrupt, ASignalTakesBackWhatTheJoinMadeAndEndsByIt) {
  const std::string copies =
      "COPY /B A.000+A.001 A.00_\r\n"
      "COPY /B A.00_+A.002 A.DAT\r\n"
      "DEL A.??_\r\n"
      "REN A.DAT \"a data.dat\"";
  const struct {
    const char* what;
    std::string joinText;
    bool fifoPiece;  // A.002 becomes a FIFO once the join has checked it
  } holds[] = {
      // Blocked on its standard output after the first line made its file.
      {"writing its messages",
       kHeader + std::string("COPY /B A.000+A.001 A.00_\r\n") + LongEcho() +
           "COPY /B A.00_+A.002 A.DAT\r\nDEL A.??_\r\nREN A.DAT \"a data.dat\"" + kFooter,
       false},
      // A piece that became a FIFO after the checks: refused when it comes to it, never
      // waited on, and the first line's file is taken back.
      {"reading a piece", kHeader + LongEcho() + copies + kFooter, true},
  };
  for (const auto& hold : holds) {
    for (int signal : {SIGINT, SIGTERM}) {
      SCOPED_TRACE(std::string(hold.what) + ", signal " + std::to_string(signal));
      fs::remove_all(Path("P"));
      fs::remove_all(Path("saved"));
      MakeFolder("saved");
      Write("P/A.000", std::string(300, 'a'));
      Write("P/A.001", std::string(300, 'b'));
      Write("P/A.002", std::string(300, 'c'));
      Write("P/Join.bat", hold.joinText);
      const auto before = Snapshot(Path("P"));

      HeldJoin join(Path("P"), Path("err.txt"));
      ASSERT_TRUE(join.Started());
      const auto made = [this] { return Exists("P/A.00_"); };
      if (hold.fifoPiece) {
        ASSERT_TRUE(join.WaitBlocked([] { return true; })) << "the join never blocked";
        fs::rename(Path("P/A.002"), Path("saved/A.002"));
        ASSERT_EQ(mkfifo(Path("P/A.002").c_str(), 0644), 0);
        const int status = join.Wait();
        ASSERT_NE(status, -1) << "the join waited on the FIFO";
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
        EXPECT_EQ(Read("err.txt"), "No checksum file (A.SFV): the pieces could not be checked.\n"
                                   "Cannot read A.002: not a plain file\n"
                                   "The files this join had made were removed again.\n");
        ASSERT_EQ(List("P"), (std::vector<std::string>{"A.000", "A.001", "A.002", "Join.bat"}));
        fs::remove(Path("P/A.002"));
        fs::rename(Path("saved/A.002"), Path("P/A.002"));
        EXPECT_EQ(Snapshot(Path("P")), before);
        continue;
      }
      ASSERT_TRUE(join.WaitBlocked(made)) << "the join never blocked";
      join.Signal(signal);
      const int status = join.Wait();
      ASSERT_NE(status, -1) << "the join did not end";
      EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
      EXPECT_EQ(Read("err.txt"), "No checksum file (A.SFV): the pieces could not be checked.\n"
                                 "Interrupted\nThe files this join had made were removed again.\n");
      ASSERT_EQ(List("P"), (std::vector<std::string>{"A.000", "A.001", "A.002", "Join.bat"}));
      EXPECT_EQ(Snapshot(Path("P")), before);
    }
  }
}

TEST_F(CliJoinInterrupt, AJoinOvertakenByAnotherSaysSoOnce) {
  const std::string source = MakeFile("In/A Data.dat", 2500);
  MakeFolder("P");
  ASSERT_EQ(Run({"split", "In/A Data.dat", "P", "--size", "1000", "--set", "NoReminders=1",
                 "--set", "UseLongJoinBatName=0"})
                .status,
            0);
  // The splitter's join file, held before its first COPY line.
  const std::string joinText = Read("P/Join.bat");
  Write("P/Join.bat", kHeader + LongEcho() + joinText.substr(std::string(kHeader).size()));
  ASSERT_NE(joinText.find("REN ADATA~1.DAT \"A Data.dat\""), std::string::npos) << joinText;
  const auto before = Snapshot(Path("P"));

  HeldJoin first(Path("P"), Path("err.txt"));
  ASSERT_TRUE(first.Started());
  ASSERT_TRUE(first.WaitBlocked([] { return true; })) << "the join never blocked";
  const CliResult second = Run({"join", "P"});
  ASSERT_EQ(second.status, 0) << second.err;
  ASSERT_EQ(Read("P/A Data.dat"), source);

  const int status = first.Wait();
  ASSERT_NE(status, -1) << "the join did not end";
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
  EXPECT_EQ(Read("err.txt"),
            "A Data.dat was made by another program while this join ran\n"
            "The files this join had made were removed again.\n");
  auto expected = before;
  expected[Path("P/A Data.dat")] = source;
  EXPECT_EQ(Snapshot(Path("P")), expected);
}

}  // namespace
}  // namespace parcelo
