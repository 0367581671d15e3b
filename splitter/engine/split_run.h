// One split run: preparation on the UI thread, the worker, and the single way out.
#pragma once

#include <cstdint>
#include <string>

namespace parcelo {

constexpr std::uint32_t kBufferNormal = 5242880;   // 5 MiB
constexpr std::uint32_t kBufferMoreMem = 20971520; // 20 MiB
constexpr std::uint32_t kBufferSpanned = 102400;   // 100 KiB: disks are small
constexpr std::uint32_t kMinFreeForPiece = 2048;
constexpr std::uint32_t kMinFreeForJoin = 512;
constexpr std::int32_t kMostPieces = 1000;  // of a split into pieces of one size

// 1 when the worker may start, 0 when the run has already ended.
int PrepareSplitRun();

// The worker thread's procedure: 1 after success, 0 after a failure or cancel.
int SplitWorker();

// Releases what the run holds, closes the progress dialog and, with closeProgram, the
// main dialog that replaces it. Always 0.
int EndSplitRun(bool closeProgram);

// "X:\" for the drive of path.
std::string DriveRoot(const std::string& path);

// Free bytes of a drive root, capped to 32 bits.
std::uint32_t MeasureFreeBytes(const std::string& root);

}  // namespace parcelo
