#include "cli/folder_view.h"

#include "cli/host.h"
#include "engine/piece_name.h"

namespace parcelo {

FolderView::FolderView(const std::string& dos, const std::string& shown)
    : dos_(dos), shown_(shown) {
  for (const FolderEntry& entry : Files().ListFolder(dos)) {
    entries_[entry.name] = entry.kind == EntryKind::File   ? Kind::File
                           : entry.kind == EntryKind::Link ? Kind::Link
                                                           : Kind::Other;
    if (entry.name.find('\\') != std::string::npos && !entry.alternateName.empty()) {
      aliases_[entry.name] = entry.alternateName;
    }
  }
}

std::string FolderView::Find(const std::string& word, Kind* kind) const {
  for (const auto& [stood, file] : standIns_) {
    if (EqualIgnoringAsciiCase(stood, word)) {
      *kind = Kind::File;
      return file;
    }
  }
  auto entry = entries_.find(word);
  FoundFile found;
  if (entry == entries_.end() && Files().FindFile(PathOf(word), &found)) {
    entry = entries_.find(found.name);
  }
  for (auto it = entries_.begin(); entry == entries_.end() && it != entries_.end(); ++it) {
    if (EqualIgnoringAsciiCase(it->first, word)) entry = it;
  }
  if (entry == entries_.end()) {
    *kind = Kind::None;
    return word;
  }
  *kind = entry->second;
  return entry->first;
}

std::vector<std::string> FolderView::PlainFilesNamed(
    bool (*wanted)(const std::string& name)) const {
  std::vector<std::string> names;  // sorted: the entries are
  for (const auto& [name, kind] : entries_) {
    FoundFile found;
    // Only a link needs following; the listing knows a plain file already.
    if (wanted(name) && (kind == Kind::File || (kind == Kind::Link &&
                                                Files().FindFile(PathOf(name), &found) &&
                                                found.kind == EntryKind::File))) {
      names.push_back(name);
    }
  }
  return names;
}

std::string FolderView::PathOf(const std::string& name) const {
  const auto alias = aliases_.find(name);
  return PathInFolder(dos_, alias == aliases_.end() ? name : alias->second);
}

std::string FolderView::Shown(const std::string& name) const { return JoinPath(shown_, name); }

}  // namespace parcelo
