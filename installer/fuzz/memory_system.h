// A file system that serves one file from memory, so the fuzzers reach the real readers
// without touching the disk on every input, and windows whose boxes say nothing.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "package/install_package.h"
#include "platform/forwarding_system.h"

namespace qinstall {

class MemoryFileSystem : public ForwardingFileSystem {
 public:
  MemoryFileSystem() : ForwardingFileSystem(*PlatformSystem().files) {}

  void Serve(const std::uint8_t* data, std::size_t size) {
    data_ = data;
    size_ = size;
    position_ = 0;
    open_ = false;
  }
  bool open() const { return open_; }

  FileHandle OpenExistingForReading(const std::string&, std::uint32_t* error) override {
    if (open_) {
      if (error != nullptr) *error = 32;  // ERROR_SHARING_VIOLATION
      return kInvalidFile;
    }
    open_ = true;
    return 1;
  }
  IoResult ReadFile(FileHandle, void* buffer, std::uint32_t count) override {
    const std::size_t bytes = std::min<std::size_t>(count, size_ - position_);
    if (bytes > 0) std::memcpy(buffer, data_ + position_, bytes);
    position_ += bytes;
    return IoResult{true, static_cast<std::uint32_t>(bytes), 0};
  }
  void CloseFile(FileHandle) override { open_ = false; }
  // Inputs of up to 8 KB fill at most about 2 MB of slots; larger lists are refused, which
  // keeps runs fast and takes the out-of-memory path.
  void* AllocateMemory(std::size_t bytes) override {
    return bytes > kLargestList ? nullptr : std::malloc(bytes);
  }

 private:
  static constexpr std::size_t kLargestList = 4 << 20;
  const std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t position_ = 0;
  bool open_ = false;
};

class SilentWindowSystem : public ForwardingWindowSystem {
 public:
  SilentWindowSystem() : ForwardingWindowSystem(*PlatformSystem().windows) {}
  int ShowMessageBox(WindowHandle, const std::string&, const std::string&, unsigned) override {
    return kIdOk;
  }
};

// Installs the two over the platform's registry; returns the file system to serve from.
inline MemoryFileSystem& InstallMemorySystem() {
  static MemoryFileSystem files;
  static SilentWindowSystem windows;
  InstallSystem(System{&files, PlatformSystem().registry, &windows});
  return files;
}

// Every stored string must be terminated inside its buffer.
template <std::size_t N>
void CheckTerminated(const char (&text)[N]) {
  if (strnlen(text, N) >= N) std::abort();
}

// What a package and a record have in common: the texts and the two lists of strings.
template <typename Loaded>
void CheckCommonFields(const Loaded& loaded) {
  CheckTerminated(loaded.productName);
  CheckTerminated(loaded.destinationFolder);
  CheckTerminated(loaded.startMenuFolder);
  for (const FileEntry& file : loaded.files) CheckTerminated(file.name);
  for (const ExtraText& extra : loaded.uninstallExtras) {
    if (strnlen(extra.data(), extra.size()) >= extra.size()) std::abort();
  }
}

// A failed load leaves no list behind.
template <typename Loaded>
void CheckReleased(const Loaded& loaded) {
  if (loaded.files.capacity() != 0 || loaded.uninstallExtras.capacity() != 0 ||
      loaded.shortcuts.capacity() != 0 || loaded.productName[0] != '\0') {
    std::abort();
  }
}

}  // namespace qinstall
