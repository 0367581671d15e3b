#include "cli_run.h"

#include <sys/mount.h>
#include <unistd.h>

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
  std::string command = "cd " + Quote(dir_) + " && XDG_CONFIG_HOME=" + Quote(dir_ + "/config") +
                        " PARCELO95_DRIVES=" + Quote(drives_) +
                        " PARCELO95_SHORT_NAMES=" + (shortNames_ ? "1" : "0") + " timeout " + std::to_string(timeoutSeconds_) + " " +
                        runAs_ + Quote(PARCELO95_BINARY);
  for (const std::string& argument : arguments) command += " " + Quote(argument);
  command += " </dev/null >" + Quote(dir_ + "/.out") + " 2>" + Quote(dir_ + "/.err");
  CliResult result;
  const int status = std::system(command.c_str());
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.out = Read(".out");
  result.err = Read(".err");
  fs::remove(dir_ + "/.out");
  fs::remove(dir_ + "/.err");
  return result;
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
