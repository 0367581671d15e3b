// The bytes of an "Install.qsd" for a package, as LoadInstallPackage reads them.
#pragma once

#include <string>

#include "package/install_package.h"

namespace qinstall {

std::string EncodeInstallPackage(const InstallPackage& package);

}  // namespace qinstall
