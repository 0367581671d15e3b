#include "cli_run.h"

#include <unistd.h>

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

void CliTest::SetUp() {
  dir_ = (fs::temp_directory_path() /
          ("parcelo-cli-" + std::to_string(getpid()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name()))
             .string();
  fs::remove_all(dir_);
  fs::create_directories(dir_ + "/config");
}

void CliTest::TearDown() { fs::remove_all(dir_); }

CliResult CliTest::Run(const std::vector<std::string>& arguments) {
  std::string command = "cd " + Quote(dir_) + " && XDG_CONFIG_HOME=" + Quote(dir_ + "/config") +
                        " PARCELO95_DRIVES=" + Quote(drives_) +
                        " PARCELO95_SHORT_NAMES=" + (shortNames_ ? "1" : "0") + " timeout 120 " +
                        Quote(PARCELO95_BINARY);
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
