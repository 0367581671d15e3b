// Runs the real parcelo95 binary in a fresh folder with its own settings and drives.
#pragma once

#include <gtest/gtest.h>

#include <sys/types.h>

#include <map>
#include <memory>
#include <filesystem>
#include <string>
#include <vector>

namespace parcelo {

struct CliResult {
  int status = -1;
  std::string out;
  std::string err;
};

// Every entry below dir by its path: a file's bytes, "folder", or "link -> target".
std::map<std::string, std::string> Snapshot(const std::string& dir);

// parcelo95 started on a terminal of its own (a pseudo-terminal on its standard input and
// output; standard error goes to a file) and left running, so that a test can hold it at a
// question while it does something else.
class TerminalRun {
 public:
  TerminalRun(pid_t pid, int terminal, std::string errFile)
      : pid_(pid), terminal_(terminal), errFile_(std::move(errFile)) {}
  ~TerminalRun();
  TerminalRun(const TerminalRun&) = delete;
  TerminalRun& operator=(const TerminalRun&) = delete;

  // Reads the terminal until text has appeared; false after timeoutMs without it.
  bool WaitFor(const std::string& text, int timeoutMs);
  void Type(const std::string& text);
  // The exit status; -1 when the run has not ended within timeoutMs (it is then killed).
  int Wait(int timeoutMs);
  std::string Err() const;

  std::string shown;  // everything the terminal has shown so far

 private:
  void ReadSome(int timeoutMs);

  pid_t pid_;
  int terminal_;
  std::string errFile_;
  bool ended_ = false;
};

// Read-only for the owner and for the rest alike: the runs as the unprivileged user are
// refused whether that user made the files (the tests run as it) or root did.
inline constexpr std::filesystem::perms kReadOnlyForAll =
    std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec |
    std::filesystem::perms::others_read | std::filesystem::perms::others_exec;

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // parcelo95 with these arguments, run in dir_ with stdin from /dev/null (no terminal),
  // XDG_CONFIG_HOME inside dir_, PARCELO95_DRIVES set to drives_ and the aliases on or off.
  CliResult Run(const std::vector<std::string>& arguments);
  // The same run with the bytes of the file at relative coming through a pipe (cat FILE |).
  CliResult RunPiped(const std::string& relative, const std::vector<std::string>& arguments);
  // The same run on a terminal, left running; nullptr when no terminal could be had. With
  // input (relative), standard input is that file and the terminal only the controlling one.
  std::unique_ptr<TerminalRun> Start(const std::vector<std::string>& arguments,
                                     const std::string& input = "");

  std::string Path(const std::string& relative) const { return dir_ + "/" + relative; }
  void Write(const std::string& relative, const std::string& bytes) const;
  std::string Read(const std::string& relative) const;
  bool Exists(const std::string& relative) const;
  std::vector<std::string> List(const std::string& relative) const;
  void MakeFolder(const std::string& relative) const;
  // Random bytes, written to relative.
  std::string MakeFile(const std::string& relative, std::size_t size) const;

  // Runs from now on as a user without privileges (root reads and writes through any file
  // mode), with the folder open to that user. False when that cannot be had.
  bool RunUnprivileged();
  // A tmpfs of bytes at relative, taken down at the end; false with *why when refused.
  bool MountSmallDisk(const std::string& relative, std::size_t bytes, std::string* why);

  std::string dir_;
  std::string drives_;
  bool shortNames_ = true;  // PARCELO95_SHORT_NAMES
  std::string runAs_;       // a prefix that drops privileges
  int timeoutSeconds_ = 120;  // a run that takes longer is killed and fails
  std::vector<std::string> mounts_;
};

}  // namespace parcelo
