// A real folder as the recovery code's source and sink, and the set-up the recovery tests
// share: pieces of random bytes, a set written over them, par2 at hand.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "recovery/recovery_files.h"
#include "recovery/recovery_plan.h"

namespace parcelo {

class FolderSource : public RecoverySource {
 public:
  explicit FolderSource(std::string dir) : dir_(std::move(dir)) {}
  std::vector<std::string> Names() override;
  std::unique_ptr<RecoveryReadFile> Open(const std::string& name) override;

  std::uint64_t bytesRead = 0;  // by the files it opened: how many passes a repair took

 private:
  std::string dir_;
};

// Writes NAME as NAME.part and renames it over NAME at Close.
class FolderSink : public RecoverySink {
 public:
  explicit FolderSink(std::string dir) : dir_(std::move(dir)) {}
  ~FolderSink() override;
  bool Create(const std::string& name) override;
  bool Write(const void* data, std::size_t size) override;
  bool Close() override;
  void Discard() override;

  std::vector<std::string> created;
  int failWriteOf = -1;  // the Write call (0 first) that fails, as a full disk would

 private:
  std::string dir_;
  std::string name_;
  std::FILE* file_ = nullptr;
  int writes_ = 0;
};

class RecoveryTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  std::string Path(const std::string& name) const { return dir_ + "/" + name; }
  std::string Read(const std::string& name) const;
  void Write(const std::string& name, const std::string& bytes) const;
  // count pieces "HOLIDA~1.000", ... of size bytes (the last one lastSize) of random bytes,
  // in the folder; their bytes in order.
  std::string MakePieces(int count, std::uint64_t size, std::uint64_t lastSize);
  // Our set over the pieces made, fed in chunks of random sizes up to maxChunk.
  RecoveryPlan WriteSet(int percent, std::size_t maxChunk = 70000);
  // A shell command in the folder, with a timeout; its exit status, its output in *out.
  int Shell(const std::string& command, std::string* out = nullptr) const;
  // False (with the test failed under CI, else skipped) when par2 is missing.
  bool HavePar2();

  std::string dir_;
  std::vector<std::string> pieces_;
  std::vector<std::uint64_t> sizes_;
};

// Where CI runs, a missing par2 is a failure, not a reason to skip.
#define REQUIRE_PAR2() \
  if (!HavePar2()) GTEST_SKIP() << "par2 is not installed (Debian package par2)"

}  // namespace parcelo
