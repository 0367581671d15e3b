// One folder as parcelo95 join and verify see it: its entries, listed once through the
// System, and the name that a join file's or checksum file's word means there. The words
// are resolved as the System resolves the paths it opens, so that the file a step checks is
// the file it copies.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/system.h"

namespace parcelo {

class FolderView {
 public:
  enum class Kind { None, File, Link, Other };

  // dos: the DOS path the System reaches the folder by; shown: the path the user gave.
  FolderView(const std::string& dos, const std::string& shown);

  // The entry that word means: the entry of that very name, else the one the System
  // finds for it (without case, or by its 8.3 alias), else one of that name without case
  // (a dangling link); *kind None and the word itself when there is none.
  std::string Find(const std::string& word, Kind* kind) const;

  // From now on word means file, an entry of the folder: a piece rebuilt under a name of
  // its own is read in the piece's place.
  void StandIn(const std::string& word, const std::string& file) { standIns_[word] = file; }

  // The DOS path of an entry (by its 8.3 name where its own holds a backslash, which a
  // DOS path would take for a folder's end), and its path as the user would write it.
  std::string PathOf(const std::string& name) const;
  std::string Shown(const std::string& name) const;
  const std::string& dos() const { return dos_; }
  const std::string& shown() const { return shown_; }

  // The names of its plain files (links followed) that wanted accepts, sorted.
  std::vector<std::string> PlainFilesNamed(bool (*wanted)(const std::string& name)) const;

 protected:
  std::string dos_;
  std::string shown_;
  std::map<std::string, Kind> entries_;
  std::map<std::string, std::string> aliases_;  // of the names that hold a backslash
  std::map<std::string, std::string> standIns_;
};

}  // namespace parcelo
