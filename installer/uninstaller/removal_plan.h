// What removing a product takes away, in the order it goes: the installed files, the links,
// what the extras name, the record, the two folders when empty, and last the product's
// entry in the system's list of programs.
#pragma once

#include <string>
#include <vector>

#include "package/uninstall_record.h"
#include "platform/system.h"

namespace qinstall {

enum class RemovalKind {
  File,           // a file the record lists, a link, or a file an extra names
  RegistryTree,   // a key an extra names, with its subkeys
  Record,         // the uninstall record itself
  FolderIfEmpty,  // the Start Menu folder, then the destination folder
  UninstallKey,   // the product's key below the system's uninstall key
};

struct RemovalStep {
  RemovalKind kind;
  std::string path;  // a DOS path, or a key below its hive
  RegistryHive hive = RegistryHive::LocalMachine;
};

extern const char kUninstallKeyPrefix[];  // "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\"

// The steps for a record that UninstallRecordProblem accepted.
std::vector<RemovalStep> PlanRemoval(const UninstallRecord& record, const std::string& recordPath,
                                     const std::string& windowsFolder);

}  // namespace qinstall
