// Runs the real parcelo95 binary in a fresh folder with its own settings and drives.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace parcelo {

struct CliResult {
  int status = -1;
  std::string out;
  std::string err;
};

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // parcelo95 with these arguments, run in dir_ with stdin from /dev/null (no terminal),
  // XDG_CONFIG_HOME inside dir_, PARCELO95_DRIVES set to drives_ and the aliases on or off.
  CliResult Run(const std::vector<std::string>& arguments);

  std::string Path(const std::string& relative) const { return dir_ + "/" + relative; }
  void Write(const std::string& relative, const std::string& bytes) const;
  std::string Read(const std::string& relative) const;
  bool Exists(const std::string& relative) const;
  std::vector<std::string> List(const std::string& relative) const;
  void MakeFolder(const std::string& relative) const;
  // Random bytes, written to relative.
  std::string MakeFile(const std::string& relative, std::size_t size) const;

  std::string dir_;
  std::string drives_;
  bool shortNames_ = true;  // PARCELO95_SHORT_NAMES
};

}  // namespace parcelo
