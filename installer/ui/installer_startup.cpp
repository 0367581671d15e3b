#include "ui/installer_startup.h"

#include "package/load_install_package.h"
#include "phases/install_run.h"
#include "platform/system.h"
#include "resources/resource_ids.h"

namespace qinstall {
namespace {

void ShowStartError(const char* text) { Windows().ShowMessageBox(nullptr, text, "Error", kMbOk); }

bool PlatformAccepted() {
  switch (Windows().PlatformId()) {
    case kPlatformWin32s:
      ShowStartError("This program will not run under Windows 3.x.");
      return false;
    case kPlatformNt:
      ShowStartError("This program will not run under Windows NT.");
      return false;
    default:
      return true;
  }
}

}  // namespace

bool StartInstaller() {
  if (!PlatformAccepted()) return false;
  // Relative on purpose: the package is the one in the folder the installer was started in.
  if (!LoadInstallPackage("Install.qsd")) {
    ShowStartError(
        "Error accessing installation data file. File either doesn't exist or is currupted.");
    return false;
  }
  if (Windows().CreateModelessDialog(IDD_INSTALL) == nullptr) {
    Windows().ShowMessageBox(nullptr, "Out of memory.", "Error", kMbOk | kMbIconError);
    ResetInstallPackage();
    return false;
  }
  return true;
}

}  // namespace qinstall
