// The phases the install worker runs, in its order, and the rollback operations. Each
// returns 1 to go on and 0 to stop; a phase that stops has told the user and closed the
// progress dialog (the registry phase excepted: the worker reports it).
#pragma once

#include <string>

namespace qinstall {

int CreateInstallFolders();
int CopyPackageFiles();
int CreateShortcuts();
// arguments, iconPath and workingFolder may be null (not set on the link).
int CreateShellLink(const char* target, const char* arguments, const char* linkFile,
                    const char* description, const char* iconPath, int iconIndex,
                    const char* workingFolder);
int WriteUninstallRegistry();
int WriteUninstallRecord(const std::string& path);

int RemoveCopiedFiles();
int RemoveShortcuts();
int RemoveCreatedFolders();
int RemoveUninstallRegistry();

}  // namespace qinstall
