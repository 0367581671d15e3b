// Names in host folders, read again only when a folder has changed. A split looks up every
// new piece in its folder without case; reading a folder of hundreds of pieces for each of
// them cost more than moving their bytes.
#pragma once

#include <sys/stat.h>

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace parcelo {

// The folder's names as they are now, without "." and ".."; empty when it cannot be read.
std::vector<std::string> ReadFolderNames(const std::string& folder);

// Whether two stats of a folder show it unchanged: any create, delete or rename inside a
// folder moves its modification and change times.
bool SameFolderState(const struct stat& a, const struct stat& b);

class FolderListings {
 public:
  using Names = std::shared_ptr<const std::vector<std::string>>;

  // The folder's names without "." and ".."; empty when it cannot be read. now: the
  // folder's stat just taken by the caller, which spares taking it again.
  Names Of(const std::string& folder, const struct stat* now = nullptr);

  // Whether the listing kept for folder still matches it. Call before making a file there,
  // and pass the answer to Added.
  bool IsCurrent(const std::string& folder, const struct stat* now = nullptr);
  // This process has just made name in folder: a listing that was current stays current.
  void Added(const std::string& folder, const std::string& name, bool wasCurrent);

 private:
  struct Listing {
    struct stat seen {};
    std::shared_ptr<std::vector<std::string>> names;
  };
  std::mutex mutex_;
  std::map<std::string, Listing> listings_;
};

}  // namespace parcelo
