// Placeholders until the phases are written: each goes on without touching anything.
#include "package/install_package.h"
#include "phases/install_phases.h"
#include "phases/install_run.h"

namespace qinstall {

int CreateInstallFolders() { return 1; }
int CopyPackageFiles() { return 1; }
int CreateShortcuts() { return 1; }
int CreateShellLink(const char*, const char*, const char*, const char*, const char*, int,
                    const char*) {
  return 0;
}
int WriteUninstallRegistry() { return 1; }
int WriteUninstallRecord(const std::string&) { return 0; }
int RemoveCopiedFiles() { return 1; }
int RemoveShortcuts() { return 1; }
int RemoveCreatedFolders() { return 1; }
int RemoveUninstallRegistry() { return 1; }

}  // namespace qinstall
