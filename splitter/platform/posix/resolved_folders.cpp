#include "platform/posix/resolved_folders.h"

#include "platform/posix/folder_listing.h"

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
  // Checked outside the lock: these are the host's answers, not the table's.
  struct stat now;
  bool holds = stat(folder.host.c_str(), &now) == 0 && S_ISDIR(now.st_mode) &&
               now.st_dev == folder.info.st_dev && now.st_ino == folder.info.st_ino;
  for (const auto& [parent, seen] : folder.matchedIn) {
    struct stat parentNow;
    if (!holds) break;
    holds = stat(parent.c_str(), &parentNow) == 0 && SameFolderState(seen, parentNow);
  }
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
