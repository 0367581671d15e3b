// LoadInstallPackage: fills the run's one InstallPackage from an "Install.qsd".
#pragma once

#include <string>

#include "package/install_package.h"
#include "package/load_report.h"

namespace qinstall {

// Succeeds (1) when the whole file up to the last shortcut record was read; bytes after it
// are ignored. On failure the package is empty again, every list released and the file
// closed; a failed list allocation also shows "Out of memory.".
int LoadInstallPackage(const std::string& fileName, LoadReport* report = nullptr);

}  // namespace qinstall
