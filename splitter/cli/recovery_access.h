// The recovery code's way to a folder through the System: the folder's plain files to read,
// and files written under a name of their own until they are whole.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "cli/folder_view.h"
#include "platform/system.h"
#include "recovery/recovery_files.h"

namespace parcelo {

class FolderRecoverySource : public RecoverySource {
 public:
  explicit FolderRecoverySource(const FolderView& folder) : folder_(folder) {}
  std::vector<std::string> Names() override;
  std::unique_ptr<RecoveryReadFile> Open(const std::string& name) override;

  // "NAME (reason)" of the first plain file that could not be opened; empty when none.
  const std::string& unreadable() const { return unreadable_; }

 private:
  const FolderView& folder_;
  std::string unreadable_;
};

// Each file is written as .parcelo95-repair-N.part in the folder (or in the folder at dos
// when there is no view of it). With replace, Close puts it in the place of the file of its
// name; without, it stays under its own name, and made() maps the name to it.
class FolderRecoverySink : public RecoverySink {
 public:
  FolderRecoverySink(std::string dos, bool replace) : dos_(std::move(dos)), replace_(replace) {}
  ~FolderRecoverySink() override { Discard(); }
  bool Create(const std::string& name) override;
  bool Write(const void* data, std::size_t size) override;
  bool Close() override;
  void Discard() override;

  const std::map<std::string, std::string>& made() const { return made_; }
  // Removes the files it made and kept under their own names.
  void RemoveMade();
  // Why the last call failed, from the system; empty when it did not say.
  const std::string& reason() const { return reason_; }

 private:
  std::string dos_;
  bool replace_;
  std::string name_;
  std::string temporary_;
  FileHandle file_ = kInvalidFile;
  std::map<std::string, std::string> made_;
  std::string reason_;
};

}  // namespace parcelo
