#include "recovery_folder.h"

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "recovery/recovery_writer.h"

namespace fs = std::filesystem;

namespace parcelo {
namespace {

class ReadFile : public RecoveryReadFile {
 public:
  ReadFile(std::FILE* file, std::uint64_t size, std::uint64_t* bytesRead)
      : file_(file), size_(size), bytesRead_(bytesRead) {}
  ~ReadFile() override { std::fclose(file_); }
  std::uint64_t Size() override { return size_; }
  bool ReadAt(std::uint64_t offset, void* data, std::size_t size) override {
    *bytesRead_ += size;
    return fseeko(file_, static_cast<off_t>(offset), SEEK_SET) == 0 &&
           std::fread(data, 1, size, file_) == size;
  }

 private:
  std::FILE* file_;
  std::uint64_t size_;
  std::uint64_t* bytesRead_;
};

}  // namespace

std::vector<std::string> FolderSource::Names() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir_)) {
    if (entry.is_regular_file()) names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::unique_ptr<RecoveryReadFile> FolderSource::Open(const std::string& name) {
  std::FILE* file = std::fopen((dir_ + "/" + name).c_str(), "rb");
  if (file == nullptr) return nullptr;
  std::error_code error;
  const std::uint64_t size = fs::file_size(dir_ + "/" + name, error);
  return std::make_unique<ReadFile>(file, error ? 0 : size, &bytesRead);
}

FolderSink::~FolderSink() {
  if (file_ != nullptr) Discard();
}

bool FolderSink::Create(const std::string& name) {
  name_ = name;
  file_ = std::fopen((dir_ + "/" + name + ".part").c_str(), "wb");
  if (file_ != nullptr) created.push_back(name);
  return file_ != nullptr;
}

bool FolderSink::Write(const void* data, std::size_t size) {
  if (writes_++ == failWriteOf) return false;
  return std::fwrite(data, 1, size, file_) == size;
}

bool FolderSink::Close() {
  const bool written = std::fclose(file_) == 0;
  file_ = nullptr;
  const std::string part = dir_ + "/" + name_ + ".part";
  if (!written || std::rename(part.c_str(), (dir_ + "/" + name_).c_str()) != 0) {
    std::remove(part.c_str());
    return false;
  }
  return true;
}

void FolderSink::Discard() {
  std::fclose(file_);
  file_ = nullptr;
  std::remove((dir_ + "/" + name_ + ".part").c_str());
}

void RecoveryTest::SetUp() {
  char pattern[] = "/tmp/recovery_test_XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  dir_ = pattern;
}

void RecoveryTest::TearDown() { fs::remove_all(dir_); }

std::string RecoveryTest::Read(const std::string& name) const {
  std::ifstream in(Path(name), std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void RecoveryTest::Write(const std::string& name, const std::string& bytes) const {
  std::ofstream(Path(name), std::ios::binary) << bytes;
}

std::string RecoveryTest::MakePieces(int count, std::uint64_t size, std::uint64_t lastSize) {
  std::mt19937 random(static_cast<unsigned>(count * 7919 + size));
  std::string all;
  for (int i = 0; i < count; ++i) {
    std::string bytes(static_cast<std::size_t>(i + 1 == count ? lastSize : size), '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    char name[24];
    std::snprintf(name, sizeof name, "HOLIDA~1.%03d", i);
    Write(name, bytes);
    pieces_.push_back(name);
    sizes_.push_back(bytes.size());
    all += bytes;
  }
  return all;
}

RecoveryPlan RecoveryTest::WriteSet(int percent, std::size_t maxChunk) {
  RecoveryPlan plan;
  std::string problem;
  EXPECT_TRUE(PlanRecovery(sizes_, percent, "HOLIDA~1", kRecoveryMemoryDefault, &plan, &problem))
      << problem;
  std::vector<RecoveryPieceStart> starts;
  std::string all;
  for (std::size_t i = 0; i < pieces_.size(); ++i) {
    const std::string bytes = Read(pieces_[i]);
    starts.push_back({pieces_[i], bytes.size(), PieceStartHash(bytes.data(), bytes.size())});
    all += bytes;
  }
  RecoveryWriter writer(plan, starts, "Created by parcelo95 tests");
  std::mt19937 random(1234);
  for (std::size_t at = 0; at < all.size();) {
    const std::size_t take = std::min<std::size_t>(all.size() - at, 1 + random() % maxChunk);
    writer.Feed(all.data() + at, take);
    at += take;
  }
  FolderSink sink(dir_);
  EXPECT_TRUE(writer.Finish(sink, &problem)) << problem;
  return plan;
}

int RecoveryTest::Shell(const std::string& command, std::string* out) const {
  const std::string line = "cd '" + dir_ + "' && (timeout 300 " + command + ") >'" + dir_ +
                           "/.shell' 2>&1";
  const int status = std::system(line.c_str());
  if (out != nullptr) *out = Read(".shell");
  fs::remove(dir_ + "/.shell");
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool RecoveryTest::HavePar2() {
  if (std::system("command -v par2 >/dev/null 2>&1") == 0) return true;
  const char* ci = std::getenv("CI");
  if (ci != nullptr && std::string(ci) == "true") ADD_FAILURE() << "par2 is not installed";
  return false;
}

}  // namespace parcelo
