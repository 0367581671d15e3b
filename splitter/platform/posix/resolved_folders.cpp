#include "platform/posix/resolved_folders.h"

#include <utility>

namespace parcelo {
namespace {

constexpr std::size_t kMaxFolders = 64;

}  // namespace

bool ResolvedFolders::Find(const std::string& key, std::string* host, struct stat* info) {
  Folder folder;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto kept = kept_.find(key);
    if (kept == kept_.end()) return false;
    folder = kept->second;
  }
  // Asked outside the lock: the host answers, not the table. A folder made again at the
  // same path is walked again too, so that nothing kept about the old one carries over.
  struct stat now;
  const bool holds = stat(folder.host.c_str(), &now) == 0 && S_ISDIR(now.st_mode) &&
                     now.st_dev == folder.info.st_dev && now.st_ino == folder.info.st_ino;
  if (!holds) {
    std::lock_guard<std::mutex> lock(mutex_);
    kept_.erase(key);
    return false;
  }
  *host = folder.host;
  *info = now;
  return true;
}

void ResolvedFolders::Keep(const std::string& key, Folder folder) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (kept_.size() >= kMaxFolders) kept_.clear();
  kept_[key] = std::move(folder);
}

void ResolvedFolders::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  kept_.clear();
}

}  // namespace parcelo
