#include "package/install_package.h"

#include <cstring>

namespace qinstall {

InstallPackage& Package() {
  static InstallPackage package;
  return package;
}

void ResetInstallPackage() {
  InstallPackage& package = Package();
  std::memset(package.productName, 0, sizeof package.productName);
  std::memset(package.destinationFolder, 0, sizeof package.destinationFolder);
  std::memset(package.startMenuFolder, 0, sizeof package.startMenuFolder);
  ReleaseList(package.files);
  ReleaseList(package.uninstallExtras);
  ReleaseList(package.shortcuts);
}

}  // namespace qinstall
