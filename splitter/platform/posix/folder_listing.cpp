#include "platform/posix/folder_listing.h"

#include <dirent.h>

#include <algorithm>

namespace parcelo {
namespace {

constexpr std::size_t kMaxListings = 64;

}  // namespace

std::vector<std::string> ReadFolderNames(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* dir = opendir(folder.c_str())) {
    while (const dirent* entry = readdir(dir)) {
      const std::string name = entry->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    closedir(dir);
  }
  return names;
}

bool SameFolderState(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
         a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec &&
         a.st_ctim.tv_sec == b.st_ctim.tv_sec && a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
}

FolderListings::Names FolderListings::Of(const std::string& folder, const struct stat* seen) {
  struct stat now;
  if (seen != nullptr) {
    now = *seen;
  } else if (stat(folder.c_str(), &now) != 0) {
    return std::make_shared<const std::vector<std::string>>();
  }
  std::lock_guard<std::mutex> lock(mutex_);
  const auto kept = listings_.find(folder);
  if (kept != listings_.end() && SameFolderState(kept->second.seen, now)) return kept->second.names;
  Listing listing{now, std::make_shared<std::vector<std::string>>(ReadFolderNames(folder))};
  // The folder may have changed while it was read: keep the listing only if it did not.
  struct stat after;
  if (stat(folder.c_str(), &after) != 0 || !SameFolderState(now, after)) return listing.names;
  if (listings_.size() >= kMaxListings) listings_.clear();
  listings_[folder] = listing;
  return listing.names;
}

bool FolderListings::IsCurrent(const std::string& folder, const struct stat* seen) {
  struct stat now;
  if (seen != nullptr) {
    now = *seen;
  } else if (stat(folder.c_str(), &now) != 0) {
    return false;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  const auto kept = listings_.find(folder);
  return kept != listings_.end() && SameFolderState(kept->second.seen, now);
}

void FolderListings::Added(const std::string& folder, const std::string& name, bool wasCurrent) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto kept = listings_.find(folder);
  if (kept == listings_.end()) return;
  struct stat now;
  if (!wasCurrent || stat(folder.c_str(), &now) != 0) {
    listings_.erase(kept);
    return;
  }
  auto& names = kept->second.names;
  if (std::find(names->begin(), names->end(), name) == names->end()) {
    // Whoever still holds the old list keeps it unchanged.
    if (names.use_count() > 1) names = std::make_shared<std::vector<std::string>>(*names);
    names->push_back(name);
  }
  kept->second.seen = now;
}

}  // namespace parcelo
