// DOS folder paths with the host folders they were found to name. A split looks up its
// destination for every piece it makes; walking the host path a component at a time, each
// matched by case and alias, cost two dozen stat calls a piece. Only folders whose every
// component was there as written are kept: while the host path still leads to a folder, a
// new walk would take each of its components as written again, whatever else the folders
// on the way gained or lost. One matched by case or alias is walked at every lookup, since
// a folder's times are too coarse to tell that nothing has changed since.
#pragma once

#include <sys/stat.h>

#include <map>
#include <mutex>
#include <string>

namespace parcelo {

class ResolvedFolders {
 public:
  struct Folder {
    std::string host;
    struct stat info {};  // of the folder itself, when it was found
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
