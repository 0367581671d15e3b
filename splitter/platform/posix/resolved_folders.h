// DOS folder paths with the host folders they were found to name. A split looks up its
// destination for every piece it makes; walking the host path a component at a time, each
// matched by case and alias, cost two dozen stat calls a piece. A kept folder is used only
// while the host path still leads to that same folder and every folder in which a component
// was found by another case or by its alias is unchanged; otherwise the path is walked again.
#pragma once

#include <sys/stat.h>

#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace parcelo {

class ResolvedFolders {
 public:
  struct Folder {
    std::string host;
    struct stat info {};  // of the folder itself, when it was found
    // The folders whose listing a component was matched in, with their stat taken before.
    std::vector<std::pair<std::string, struct stat>> matchedIn;
  };

  // The host folder kept for key, when it still holds; info gets its stat as seen now.
  bool Find(const std::string& key, std::string* host, struct stat* info);
  void Keep(const std::string& key, Folder folder);
  void Clear();

 private:
  std::mutex mutex_;
  std::map<std::string, Folder> kept_;
};

}  // namespace parcelo
