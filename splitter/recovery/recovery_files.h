// How the recovery code reaches files: the caller's folder to read and the caller's place to
// write, so that the command line can go through its System and the tests through real files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace parcelo {

class RecoveryReadFile {
 public:
  virtual ~RecoveryReadFile() = default;
  virtual std::uint64_t Size() = 0;
  // Exactly size bytes from offset; false when they cannot all be read.
  virtual bool ReadAt(std::uint64_t offset, void* data, std::size_t size) = 0;
};

class RecoverySource {
 public:
  virtual ~RecoverySource() = default;
  // The names of the folder's files.
  virtual std::vector<std::string> Names() = 0;
  // nullptr when the file cannot be opened.
  virtual std::unique_ptr<RecoveryReadFile> Open(const std::string& name) = 0;
};

class RecoverySink {
 public:
  virtual ~RecoverySink() = default;
  // A file of that name is made. A file already there must stay as it is until Close
  // succeeds: a repair still reads the good parts of a damaged piece while its new copy is
  // written.
  virtual bool Create(const std::string& name) = 0;
  virtual bool Write(const void* data, std::size_t size) = 0;
  // False when the file could not be finished; it is then not to replace the old one.
  virtual bool Close() = 0;
  // Drops the file being made, leaving any old one as it was.
  virtual void Discard() = 0;
};

}  // namespace parcelo
