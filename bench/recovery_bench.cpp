// Makes a recovery set over pieces the way a split does: every piece's first 16 KiB read
// ahead, then all the pieces' bytes once, in the split's 5 MiB chunks. For the bench only.
//   recovery_bench PERCENT MEMORY_MIB BASE PIECE...
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "recovery/gf16.h"
#include "recovery/recovery_writer.h"

namespace {

class FileSink : public parcelo::RecoverySink {
 public:
  bool Create(const std::string& name) override {
    file_ = std::fopen(name.c_str(), "wb");
    return file_ != nullptr;
  }
  bool Write(const void* data, std::size_t size) override {
    return std::fwrite(data, 1, size, file_) == size;
  }
  bool Close() override { return std::fclose(file_) == 0; }
  void Discard() override { std::fclose(file_); }

 private:
  std::FILE* file_ = nullptr;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: recovery_bench PERCENT MEMORY_MIB BASE PIECE...\n");
    return 2;
  }
  const int percent = std::atoi(argv[1]);
  const std::uint64_t memory = std::strtoull(argv[2], nullptr, 10) * 1024 * 1024;
  const std::string base = argv[3];
  std::vector<parcelo::RecoveryPieceStart> starts;
  std::vector<std::uint64_t> sizes;
  std::vector<char> head(parcelo::kPieceStartSize);
  for (int i = 4; i < argc; ++i) {
    std::FILE* file = std::fopen(argv[i], "rb");
    if (file == nullptr) return 1;
    std::fseek(file, 0, SEEK_END);
    const std::uint64_t size = static_cast<std::uint64_t>(std::ftell(file));
    std::fseek(file, 0, SEEK_SET);
    const std::size_t got = std::fread(head.data(), 1, head.size(), file);
    std::fclose(file);
    starts.push_back({argv[i], size, parcelo::PieceStartHash(head.data(), got)});
    sizes.push_back(size);
  }
  parcelo::RecoveryPlan plan;
  std::string problem;
  if (!parcelo::PlanRecovery(sizes, percent, base, memory, &plan, &problem)) {
    std::fprintf(stderr, "%s\n", problem.c_str());
    return 1;
  }
  std::printf("block size %llu, %u input blocks, %u recovery blocks in %zu files, %.1f MiB, %s\n",
              static_cast<unsigned long long>(plan.blockSize), plan.inputBlocks,
              plan.recoveryBlocks, plan.volumes.size(), plan.memory / 1048576.0,
              parcelo::GfMethod());
  const auto start = std::chrono::steady_clock::now();
  parcelo::RecoveryWriter writer(plan, starts, "Created by parcelo95 recovery_bench");
  std::vector<char> chunk(5 * 1024 * 1024);
  for (int i = 4; i < argc; ++i) {
    std::FILE* file = std::fopen(argv[i], "rb");
    for (std::size_t got; (got = std::fread(chunk.data(), 1, chunk.size(), file)) > 0;) {
      writer.Feed(chunk.data(), got);
    }
    std::fclose(file);
  }
  FileSink sink;
  if (!writer.Finish(sink, &problem)) {
    std::fprintf(stderr, "%s\n", problem.c_str());
    return 1;
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%.2f s\n", seconds);
  return 0;
}
