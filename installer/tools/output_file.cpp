#include "tools/output_file.h"

#include "platform/system.h"
#include "tools/host.h"
#include "tools/system_error_text.h"

namespace qinstall {
namespace {

constexpr std::uint32_t kErrorDiskFull = 112;

std::string CannotWrite(const std::string& path, std::uint32_t error) {
  return "cannot write " + path + ": " + SystemErrorText(error);
}

// What an entry that may not be replaced is; nullptr for a file or nothing.
const char* KindRefused(PathKind kind) {
  switch (kind) {
    case PathKind::None:
    case PathKind::File:
      return nullptr;
    case PathKind::Folder:
      return "a folder";
    case PathKind::Fifo:
      return "a FIFO";
    case PathKind::Device:
      return "a device";
    case PathKind::Link:
      return "a symbolic link";
    case PathKind::Socket:
      return "a socket";
    default:
      return "not a regular file";
  }
}

bool WriteAll(FileHandle file, const std::string& bytes, std::uint32_t* error) {
  constexpr std::size_t kStep = 1 << 20;
  for (std::size_t done = 0; done < bytes.size(); done += kStep) {
    const auto count = static_cast<std::uint32_t>(bytes.size() - done < kStep ? bytes.size() - done
                                                                              : kStep);
    const IoResult put = Files().WriteFile(file, bytes.data() + done, count);
    if (!put.ok) {
      *error = put.error != 0 ? put.error : kErrorDiskFull;
      return false;
    }
  }
  return Files().FlushFile(file, error);
}

}  // namespace

bool WriteOutputFile(const std::string& path, const std::string& bytes, std::string* why) {
  const std::string target = SystemPath(path);
  if (const char* kind = KindRefused(Files().KindOfPath(target, false))) {
    *why = path + ": " + kind + ", not a file";
    return false;
  }
  // The whole package goes into a new file beside the target, which takes the target's name
  // only once it is complete: a failure leaves the earlier file as it was.
  std::string temporary;
  std::uint32_t error = 0;
  const FileHandle file = Files().CreateTemporaryBeside(target, &temporary, &error);
  if (file == kInvalidFile) {
    *why = CannotWrite(path, error);
    return false;
  }
  bool done = WriteAll(file, bytes, &error);
  Files().CloseFile(file);
  if (done) done = Files().MoveOver(temporary, target, &error);
  if (!done) {
    std::uint32_t ignored = 0;
    Files().RemoveFile(temporary, &ignored);
    *why = CannotWrite(path, error);
  }
  return done;
}

}  // namespace qinstall
