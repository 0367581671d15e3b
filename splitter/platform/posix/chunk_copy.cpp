// One chunk of a split inside the kernel: the bytes go from the source's page cache to the
// piece (and the backup) without passing through the run's buffer. Where the kernel
// refuses, or anything goes wrong, the whole chunk is done again the plain way from where
// it began, so that each failure is met by the read or write that names it. A chunk whose
// bytes are to be seen (checksums) goes through the buffer in steps small enough to stay in
// the processor's cache between the read, the tap and the writes.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/posix/posix_file_system.h"

namespace parcelo {
namespace {

// A source's holes (a sparse disk image) stay holes in its pieces: their bytes, all zeros,
// are neither read nor written. The last byte of a chunk is always moved, so that every
// piece gets its full size from a write, which also reports a full disk.

// How many of count bytes from offset a regular file holds (0 for anything else), and
// whether it has holes at all: only then are they looked for. On ext4 a hole is looked for
// through every page of a file that was just written, to its end, at every chunk.
std::uint32_t BytesFrom(int fd, off_t offset, std::uint32_t count, bool* holes) {
  struct stat info;
  *holes = false;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= offset) return 0;
  *holes = static_cast<std::uint64_t>(info.st_blocks) * 512 < static_cast<std::uint64_t>(info.st_size);
  return info.st_size - offset < count ? static_cast<std::uint32_t>(info.st_size - offset) : count;
}

// Where data begins at or after offset, at most limit; offset itself where the file system
// cannot tell, the file is no regular file, or offset is at or past the end.
off_t DataFrom(int fd, off_t offset, off_t limit) {
  const off_t data = lseek(fd, offset, SEEK_DATA);
  if (data >= 0) return data < limit ? data : limit;
  struct stat info;
  // No data after offset: a hole up to the end of the file.
  if (errno == ENXIO && fstat(fd, &info) == 0 && offset < info.st_size) {
    return info.st_size < limit ? info.st_size : limit;
  }
  return offset;
}

// Where the data at offset ends (the next hole), at most limit.
off_t HoleFrom(int fd, off_t offset, off_t limit) {
  const off_t hole = lseek(fd, offset, SEEK_HOLE);
  return hole > offset && hole < limit ? hole : limit;
}

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

// KernelCopy of the data of the range, leaving out its holes (but for its last byte).
bool KernelCopyData(int in, off_t inOffset, int out, off_t outOffset, std::uint32_t count,
                    bool holes) {
  if (!holes) return KernelCopy(in, inOffset, out, outOffset, count);
  const off_t last = inOffset + static_cast<off_t>(count) - 1;
  for (off_t at = inOffset; at <= last;) {
    const off_t data = at < last ? DataFrom(in, at, last) : at;
    if (data > at) {  // the piece's offset moves on over the hole
      at = data;
      continue;
    }
    const off_t end = HoleFrom(in, at, last + 1);
    if (!KernelCopy(in, at, out, outOffset + (at - inOffset), static_cast<std::uint32_t>(end - at))) {
      return false;
    }
    at = end;
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
  const int in = static_cast<int>(source);
  // A simulated disk counts its room at every write, so it gets every byte written.
  const bool simulated =
      HasSimulatedCapacity(piece) || (backup != kInvalidFile && HasSimulatedCapacity(backup));
  const bool seekable = lseek(static_cast<int>(piece), 0, SEEK_CUR) >= 0 &&
                        (backup == kInvalidFile || lseek(static_cast<int>(backup), 0, SEEK_CUR) >= 0);
  off_t at = simulated || !seekable ? -1 : lseek(in, 0, SEEK_CUR);
  off_t dataEnd = at;  // the data from at runs to here; at == dataEnd: look again
  // The last byte the source holds of this chunk: from it on, the plain read and write.
  bool holes = false;
  const off_t last = at < 0 ? -1 : at + static_cast<off_t>(BytesFrom(in, at, count, &holes)) - 1;
  if (!holes) at = -1;
  while (result.read.bytes < count) {
    const std::uint32_t left = count - result.read.bytes;
    std::uint32_t step = left < kTappedStep ? left : kTappedStep;
    if (at >= 0 && at < last) {
      if (at == dataEnd) {
        const off_t data = DataFrom(in, at, last);
        if (data > at) {
          // The hole's zeros pass the tap as read bytes would; the files skip them.
          const auto hole = static_cast<std::uint32_t>(data - at);
          std::memset(buffer, 0, step);
          for (std::uint32_t seen = 0; seen < hole; seen += step) {
            tap->Seen(buffer, hole - seen < step ? hole - seen : step);
          }
          const bool moved = lseek(in, data, SEEK_SET) == data &&
                             lseek(static_cast<int>(piece), hole, SEEK_CUR) >= 0 &&
                             (backup == kInvalidFile || !result.backup.ok ||
                              lseek(static_cast<int>(backup), hole, SEEK_CUR) >= 0);
          if (!moved) {  // cannot happen on a file that told its holes; end as a read would
            ChunkResult failed;
            failed.read.error = kErrorAccessDenied;
            return failed;
          }
          result.read.bytes += hole;
          result.write.bytes += hole;
          if (backup != kInvalidFile && result.backup.ok) result.backup.bytes += hole;
          at = dataEnd = data;
          continue;
        }
        dataEnd = HoleFrom(in, at, last + 1);
        lseek(in, at, SEEK_SET);
      }
      if (dataEnd - at < step) step = static_cast<std::uint32_t>(dataEnd - at);
    }
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
    if (at >= 0) at += read.bytes;
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
  // A chunk that reaches past the source's end moves what is there, as a short read would.
  bool holes = false;
  const std::uint32_t there = seekable ? BytesFrom(in, inStart, count, &holes) : 0;

  if (there > 0 && KernelCopyData(in, inStart, out, outStart, there, holes) &&
      (backup == kInvalidFile || KernelCopyData(in, inStart, copy, copyStart, there, holes))) {
    // Explicit offsets leave the positions alone; move them on as the plain way would.
    lseek(in, inStart + there, SEEK_SET);
    lseek(out, outStart + there, SEEK_SET);
    if (backup != kInvalidFile) lseek(copy, copyStart + there, SEEK_SET);
    ChunkResult result;
    result.read = result.write = Moved(there);
    if (backup != kInvalidFile) result.backup = Moved(there);
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
