#include <algorithm>

#include "cli/host.h"

namespace parcelo {

std::vector<std::string> PlainFilesNamed(const std::string& folder,
                                         bool (*wanted)(const std::string& name)) {
  std::vector<std::string> names;
  for (const FolderEntry& entry : ListFolder(folder)) {
    if (wanted(entry.name) && KindOfPath(JoinPath(folder, entry.name)) == PathKind::File) {
      names.push_back(entry.name);
    }
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace parcelo
