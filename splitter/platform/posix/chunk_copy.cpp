// One chunk of a split inside the kernel: the bytes go from the source's page cache to the
// piece (and the backup) without passing through the run's buffer. Where the kernel
// refuses, or anything goes wrong, the whole chunk is done again the plain way from where
// it began, so that each failure is met by the read or write that names it. A chunk whose
// bytes are to be seen (checksums) goes through the buffer in steps small enough to stay in
// the processor's cache between the read, the tap and the writes.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/posix_file_system.h"

namespace parcelo {
namespace {

// True when all count bytes went from in at inOffset to out at outOffset.
bool KernelCopy(int in, off_t inOffset, int out, off_t outOffset, std::uint32_t count) {
  std::uint32_t done = 0;
  while (done < count) {
    const ssize_t moved = copy_file_range(in, &inOffset, out, &outOffset, count - done, 0);
    if (moved < 0 && errno == EINTR) continue;
    // Zero is the end of the source, or a file system that copies nothing: either way the
    // plain read has to tell.
    if (moved <= 0) return false;
    done += static_cast<std::uint32_t>(moved);
  }
  return true;
}

IoResult Moved(std::uint32_t count) {
  IoResult result;
  result.ok = true;
  result.bytes = count;
  return result;
}

// A whole chunk read at once is out of the cache again by the time it is written.
constexpr std::uint32_t kTappedStep = 128 * 1024;

}  // namespace

ChunkResult PosixFileSystem::CopyChunkInSteps(FileHandle source, FileHandle piece,
                                              FileHandle backup, void* buffer,
                                              std::uint32_t count, ChunkTap* tap) {
  ChunkResult result;
  result.read = result.write = Moved(0);
  if (backup != kInvalidFile) result.backup = Moved(0);
  while (result.read.bytes < count) {
    const std::uint32_t left = count - result.read.bytes;
    const std::uint32_t step = left < kTappedStep ? left : kTappedStep;
    const IoResult read = ReadFile(source, buffer, step);
    if (!read.ok) {
      // Whatever went before, the run ends on the read: the writes count as not tried.
      ChunkResult failed;
      failed.read = read;
      return failed;
    }
    if (read.bytes == 0) break;  // the end of the source: as one short read
    result.read.bytes += read.bytes;
    tap->Seen(buffer, read.bytes);
    const IoResult write = WriteFile(piece, buffer, read.bytes);
    if (!write.ok) {
      result.write = write;
      return result;
    }
    result.write.bytes += read.bytes;
    // A failed backup stops only the backup; the engine then decides whether the run goes on.
    if (backup != kInvalidFile && result.backup.ok) {
      const IoResult copied = WriteFile(backup, buffer, read.bytes);
      if (copied.ok) {
        result.backup.bytes += read.bytes;
      } else {
        result.backup = copied;
      }
    }
    if (read.bytes < step) break;
  }
  if (result.read.bytes == 0) {  // nothing read: nothing was tried after the read
    result.write = IoResult();
    result.backup = IoResult();
  }
  return result;
}

bool PosixFileSystem::HasSimulatedCapacity(FileHandle file) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return writeDrives_.count(file) != 0;
}

ChunkResult PosixFileSystem::CopyChunk(FileHandle source, FileHandle piece, FileHandle backup,
                                       void* buffer, std::uint32_t count, ChunkTap* tap) {
  if (tap != nullptr) return CopyChunkInSteps(source, piece, backup, buffer, count, tap);
  // A simulated disk counts its room at every write: that is the plain way's job.
  if (HasSimulatedCapacity(piece) || (backup != kInvalidFile && HasSimulatedCapacity(backup))) {
    return PlainCopyChunk(*this, source, piece, backup, buffer, count, nullptr);
  }
  const int in = static_cast<int>(source);
  const int out = static_cast<int>(piece);
  const int copy = static_cast<int>(backup);
  const off_t inStart = lseek(in, 0, SEEK_CUR);
  const off_t outStart = lseek(out, 0, SEEK_CUR);
  const off_t copyStart = backup == kInvalidFile ? 0 : lseek(copy, 0, SEEK_CUR);
  const bool seekable = inStart >= 0 && outStart >= 0 && copyStart >= 0;

  if (seekable && count > 0 && KernelCopy(in, inStart, out, outStart, count) &&
      (backup == kInvalidFile || KernelCopy(in, inStart, copy, copyStart, count))) {
    // Explicit offsets leave the positions alone; move them on as the plain way would.
    lseek(in, inStart + count, SEEK_SET);
    lseek(out, outStart + count, SEEK_SET);
    if (backup != kInvalidFile) lseek(copy, copyStart + count, SEEK_SET);
    ChunkResult result;
    result.read = result.write = Moved(count);
    if (backup != kInvalidFile) result.backup = Moved(count);
    return result;
  }
  if (seekable) {
    // What the kernel got through is dropped: the plain way writes it again or fails.
    lseek(in, inStart, SEEK_SET);
    lseek(out, outStart, SEEK_SET);
    ftruncate(out, outStart);
    if (backup != kInvalidFile) {
      lseek(copy, copyStart, SEEK_SET);
      ftruncate(copy, copyStart);
    }
  }
  return PlainCopyChunk(*this, source, piece, backup, buffer, count, nullptr);
}

}  // namespace parcelo
