#include "platform/posix/registry_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>

#include "platform/posix/file_kind.h"

namespace parcelo {
namespace {

// Far above what eight flags take; a file beyond it is not the settings, and reading it
// whole would hold every run up.
constexpr off_t kLargestSettingsFile = 1 << 20;

}  // namespace

std::string FormatRegistryText(
    const std::map<std::string, std::map<std::string, std::uint32_t>>& keys) {
  std::string text = "REGEDIT4\n";
  for (const auto& [key, values] : keys) {
    text += "\n[HKEY_LOCAL_MACHINE\\" + key + "]\n";
    for (const auto& [name, value] : values) {
      char number[16];
      std::snprintf(number, sizeof number, "%08x", static_cast<unsigned>(value));
      text += "\"" + name + "\"=dword:" + number + "\n";
    }
  }
  return text;
}

std::map<std::string, std::map<std::string, std::uint32_t>> ParseRegistryText(
    const std::string& text) {
  static const std::string kHive = "HKEY_LOCAL_MACHINE\\";
  std::map<std::string, std::map<std::string, std::uint32_t>> keys;
  std::istringstream lines(text);
  std::string line;
  std::map<std::string, std::uint32_t>* current = nullptr;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() > 2 && line.front() == '[' && line.back() == ']') {
      std::string key = line.substr(1, line.size() - 2);
      if (key.compare(0, kHive.size(), kHive) == 0) key.erase(0, kHive.size());
      current = &keys[key];
      continue;
    }
    // "Name"=dword:0000abcd; names hold no quotes.
    const std::size_t close = line.find("\"=dword:");
    if (current == nullptr || line.size() < 2 || line.front() != '"' ||
        close == std::string::npos || close == 0) {
      continue;
    }
    const std::string digits = line.substr(close + 8);
    char* end = nullptr;
    const unsigned long value = std::strtoul(digits.c_str(), &end, 16);
    if (digits.empty() || digits.size() > 8 || *end != '\0') continue;
    (*current)[line.substr(1, close - 1)] = static_cast<std::uint32_t>(value);
  }
  return keys;
}

void RegistryFile::SetPath(const std::string& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  path_ = path;
  loaded_ = false;
  unreadable_ = false;
  problem_.clear();
  keys_.clear();
}

void RegistryFile::Load() {
  if (loaded_) return;
  loaded_ = true;
  unreadable_ = false;
  if (path_.empty()) return;
  // Without blocking: a FIFO of that name must not hold the program up for ever.
  const int fd = open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    if (errno != ENOENT) {
      unreadable_ = true;
      problem_ = path_ + ": " + std::strerror(errno);
    }
    return;
  }
  struct stat info;
  const bool found = fstat(fd, &info) == 0;
  if (!found || !S_ISREG(info.st_mode)) {
    unreadable_ = true;
    problem_ = path_ + ": " + (!found ? std::string(std::strerror(errno))
                                      : std::string(FileKindName(info.st_mode)) +
                                            ", not a regular file");
    close(fd);
    return;
  }
  if (info.st_size > kLargestSettingsFile) {
    unreadable_ = true;
    problem_ = path_ + ": larger than 1 MiB, too large for a settings file";
    close(fd);
    return;
  }
  std::string text;
  char chunk[4096];
  for (;;) {
    const ssize_t got = read(fd, chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      unreadable_ = true;
      problem_ = path_ + ": " + std::strerror(errno);
      break;
    }
    if (got == 0) break;
    text.append(chunk, static_cast<std::size_t>(got));
    if (text.size() > static_cast<std::size_t>(kLargestSettingsFile)) {  // grew since fstat
      unreadable_ = true;
      problem_ = path_ + ": larger than 1 MiB, too large for a settings file";
      break;
    }
  }
  close(fd);
  if (!unreadable_) keys_ = ParseRegistryText(text);
}

namespace {

// A new file beside path, never one that is there already: a link, a FIFO or a second
// name of another file at path.new is passed over, not written through. -1 with errno.
int CreateTemporary(const std::string& path, std::string* name) {
  for (int n = 0; n < 100; ++n) {
    *name = path + ".new" + (n == 0 ? std::string() : "." + std::to_string(n));
    const int fd = open(name->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return -1;
    }
    // Made just now, yet a second name may have been given to it since.
    struct stat info;
    const int error = fstat(fd, &info) != 0 ? errno : info.st_nlink != 1 ? EMLINK : 0;
    if (error == 0) return fd;
    close(fd);
    unlink(name->c_str());
    errno = error;
    return -1;
  }
  errno = EEXIST;
  return -1;
}

bool WriteWhole(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t put = write(fd, text.data() + done, text.size() - done);
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) return false;
    done += static_cast<std::size_t>(put);
  }
  return true;
}

}  // namespace

bool RegistryFile::Save() {
  if (path_.empty()) return true;
  if (unreadable_) return false;
  // Written beside and renamed, so that a crash never leaves half a file. The folder is
  // made on first use; when it cannot be, that is the reason to give.
  std::string temporary;
  int fd = CreateTemporary(path_, &temporary);
  if (fd < 0 && errno == ENOENT) {
    const std::string folder = std::filesystem::path(path_).parent_path().string();
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
      problem_ = folder + ": " + error.message();
      return false;
    }
    fd = CreateTemporary(path_, &temporary);
  }
  if (fd < 0) {
    problem_ = path_ + ": " + std::strerror(errno);
    return false;
  }
  bool written = WriteWhole(fd, FormatRegistryText(keys_));
  int error = written ? 0 : errno;
  if (close(fd) != 0 && written) {
    written = false;
    error = errno;
  }
  if (written && std::rename(temporary.c_str(), path_.c_str()) != 0) {
    written = false;
    error = errno;
  }
  if (!written) {
    problem_ = path_ + ": " + std::strerror(error);
    unlink(temporary.c_str());
    return false;
  }
  problem_.clear();
  return true;
}

std::string RegistryFile::Problem() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return problem_;
}

RegistryKey RegistryFile::CreateKey(const std::string& subKey, bool* created) {
  std::lock_guard<std::mutex> lock(mutex_);
  Load();
  if (unreadable_) return kNoKey;
  const bool isNew = keys_.find(subKey) == keys_.end();
  if (isNew) {
    keys_[subKey];
    if (!Save()) {
      keys_.erase(subKey);
      return kNoKey;
    }
  }
  if (created != nullptr) *created = isNew;
  const RegistryKey key = nextKey_++;
  open_[key] = subKey;
  return key;
}

bool RegistryFile::QueryDword(RegistryKey key, const std::string& name, std::uint32_t* value) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto open = open_.find(key);
  if (open == open_.end()) return false;
  const Values& values = keys_[open->second];
  const auto found = values.find(name);
  if (found == values.end()) return false;
  *value = found->second;
  return true;
}

bool RegistryFile::SetDword(RegistryKey key, const std::string& name, std::uint32_t value) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto open = open_.find(key);
  if (open == open_.end()) return false;
  keys_[open->second][name] = value;
  return Save();
}

void RegistryFile::CloseKey(RegistryKey key) {
  std::lock_guard<std::mutex> lock(mutex_);
  open_.erase(key);
}

}  // namespace parcelo
