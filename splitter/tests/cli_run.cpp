#include "cli_run.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

#include <cerrno>
#include <cstring>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace parcelo {
namespace fs = std::filesystem;
namespace {

std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

}  // namespace

std::map<std::string, std::string> Snapshot(const std::string& dir) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    const std::string name = entry.path().string();
    files[name] = entry.is_symlink()     ? "link -> " + fs::read_symlink(entry.path()).string()
                  : entry.is_directory() ? "folder"
                                         : (std::ostringstream() << std::ifstream(name).rdbuf()).str();
  }
  return files;
}

void CliTest::SetUp() {
  dir_ = (fs::temp_directory_path() /
          ("parcelo-cli-" + std::to_string(getpid()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name()))
             .string();
  fs::remove_all(dir_);
  fs::create_directories(dir_ + "/config");
}

void CliTest::TearDown() {
  for (const std::string& mount : mounts_) umount2(mount.c_str(), MNT_DETACH);
  std::error_code error;
  fs::remove_all(dir_, error);
}

bool CliTest::RunUnprivileged() {
  if (geteuid() != 0) return true;
  if (std::system("setpriv --version >/dev/null 2>&1") != 0) return false;
  runAs_ = "setpriv --reuid=65534 --regid=65534 --clear-groups ";
  std::error_code error;
  fs::permissions(dir_, fs::perms::all, error);
  for (const auto& entry : fs::recursive_directory_iterator(dir_, error)) {
    fs::permissions(entry.path(), fs::perms::all, fs::perm_options::add, error);
  }
  return true;
}

bool CliTest::MountSmallDisk(const std::string& relative, std::size_t bytes, std::string* why) {
  fs::create_directories(Path(relative));
  const std::string options = "size=" + std::to_string(bytes) + ",mode=0777";
  if (mount("tmpfs", Path(relative).c_str(), "tmpfs", 0, options.c_str()) != 0) {
    *why = std::string("cannot mount a tmpfs here (") + std::strerror(errno) + ")";
    return false;
  }
  mounts_.push_back(Path(relative));
  return true;
}

CliResult CliTest::Run(const std::vector<std::string>& arguments) {
  return RunPiped("", arguments);
}

CliResult CliTest::RunPiped(const std::string& relative, const std::vector<std::string>& arguments) {
  std::string command = "cd " + Quote(dir_) + " && " +
                        (relative.empty() ? std::string() : "cat " + Quote(relative) + " | ") +
                        "XDG_CONFIG_HOME=" + Quote(dir_ + "/config") +
                        " PARCELO95_DRIVES=" + Quote(drives_) +
                        " PARCELO95_SHORT_NAMES=" + (shortNames_ ? "1" : "0") + " timeout " + std::to_string(timeoutSeconds_) + " " +
                        runAs_ + Quote(PARCELO95_BINARY);
  for (const std::string& argument : arguments) command += " " + Quote(argument);
  command += std::string(relative.empty() ? " </dev/null" : "") + " >" + Quote(dir_ + "/.out") +
             " 2>" + Quote(dir_ + "/.err");
  CliResult result;
  const int status = std::system(command.c_str());
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.out = Read(".out");
  result.err = Read(".err");
  fs::remove(dir_ + "/.out");
  fs::remove(dir_ + "/.err");
  return result;
}

std::unique_ptr<TerminalRun> CliTest::Start(const std::vector<std::string>& arguments,
                                            const std::string& input) {
  const int terminal = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (terminal < 0 || grantpt(terminal) != 0 || unlockpt(terminal) != 0) {
    if (terminal >= 0) close(terminal);
    return nullptr;
  }
  const std::string side = ptsname(terminal);
  const std::string errFile = dir_ + ".terminal-err-" + std::to_string(terminal);
  std::vector<std::string> words = {PARCELO95_BINARY};
  words.insert(words.end(), arguments.begin(), arguments.end());
  const pid_t pid = fork();
  if (pid < 0) {
    close(terminal);
    return nullptr;
  }
  if (pid == 0) {
    setsid();
    const int tty = open(side.c_str(), O_RDWR);
    const int err = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (tty < 0 || err < 0 || chdir(dir_.c_str()) != 0) _exit(127);
    dup2(tty, 0);
    dup2(tty, 1);
    if (!input.empty()) {
      const int data = open(Path(input).c_str(), O_RDONLY);
      if (data < 0) _exit(127);
      dup2(data, 0);
    }
    dup2(err, 2);
    setenv("XDG_CONFIG_HOME", (dir_ + "/config").c_str(), 1);
    setenv("PARCELO95_DRIVES", drives_.c_str(), 1);
    setenv("PARCELO95_SHORT_NAMES", shortNames_ ? "1" : "0", 1);
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  return std::make_unique<TerminalRun>(pid, terminal, errFile);
}

TerminalRun::~TerminalRun() {
  if (!ended_) Wait(0);
  close(terminal_);
  unlink(errFile_.c_str());
}

void TerminalRun::ReadSome(int timeoutMs) {
  pollfd ready = {terminal_, POLLIN, 0};
  if (poll(&ready, 1, timeoutMs) <= 0) return;
  char buffer[4096];
  const ssize_t got = read(terminal_, buffer, sizeof buffer);
  if (got > 0) shown.append(buffer, static_cast<std::size_t>(got));
  if (got <= 0) usleep(10000);  // the other side is gone: no busy loop
}

bool TerminalRun::WaitFor(const std::string& text, int timeoutMs) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (shown.find(text) == std::string::npos) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        end - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    ReadSome(static_cast<int>(left.count()));
  }
  return true;
}

void TerminalRun::Type(const std::string& text) {
  EXPECT_EQ(write(terminal_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
}

int TerminalRun::Wait(int timeoutMs) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    int status = 0;
    const pid_t done = waitpid(pid_, &status, WNOHANG);
    if (done == pid_) {
      ended_ = true;
      return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    if (std::chrono::steady_clock::now() >= end) break;
    ReadSome(20);  // keep the terminal drained
  }
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
  ended_ = true;
  return -1;
}

std::string TerminalRun::Err() const {
  std::ifstream in(errFile_, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void CliTest::Write(const std::string& relative, const std::string& bytes) const {
  fs::create_directories(fs::path(Path(relative)).parent_path());
  std::ofstream(Path(relative), std::ios::binary) << bytes;
}

std::string CliTest::Read(const std::string& relative) const {
  std::ifstream in(Path(relative), std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

bool CliTest::Exists(const std::string& relative) const { return fs::exists(Path(relative)); }

std::vector<std::string> CliTest::List(const std::string& relative) const {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(Path(relative))) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

void CliTest::MakeFolder(const std::string& relative) const {
  fs::create_directories(Path(relative));
}

std::string CliTest::MakeFile(const std::string& relative, std::size_t size) const {
  std::mt19937 random(static_cast<unsigned>(size));
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  Write(relative, bytes);
  return bytes;
}

}  // namespace parcelo
