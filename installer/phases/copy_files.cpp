// The copy phase: the package's files into the destination folder, with the overwrite
// question, retries and check point A, then the uninstaller into the Windows folder.
#include "package/install_package.h"
#include "phases/install_paths.h"
#include "phases/install_phases.h"
#include "phases/install_run.h"
#include "phases/run_writes.h"

namespace qinstall {
namespace {

enum class Copy { Done, GivenUp };

// Asks after a failed copy; true when the user gives up.
bool GivesUp(const std::string& name) {
  return Windows().ShowMessageBox(Run().progressDialog, "Error copying file '" + name + "'", "Error",
                              kMbRetryCancel | kMbIconError) == kIdCancel;
}

// Copies source to target until it works or the user gives up. A file already at target
// is kept aside first (noted with the write), and put back if the user gives up.
Copy CopyWithRetry(const std::string& source, const std::string& target, bool targetFits,
                   const std::string& name, bool keepOld, bool noteWrite) {
  std::string kept;
  for (;;) {
    if (targetFits && keepOld && kept.empty()) kept = KeepAside(target);
    // Never copy over a file that could not be kept: that copy could not be taken back.
    const bool ready = targetFits && (!keepOld || !kept.empty());
    std::uint32_t error = 0;
    if (ready && Files().CopyFileOver(source, target, &error)) {
      if (noteWrite) NoteWrite(RunWrite::Kind::File, target, kept);
      return Copy::Done;
    }
    if (GivesUp(name)) {
      if (!kept.empty()) {
        std::uint32_t error = 0;
        Files().RemoveFile(target, &error);
        PutBack(kept, target);
      }
      return Copy::GivenUp;
    }
  }
}

}  // namespace

int CopyPackageFiles() {
  InstallPackage& package = Package();
  for (std::size_t i = 0; i < package.files.size(); ++i) {
    if (CancelConfirmed()) {
      package.files.resize(i);
      RemoveCopiedFiles();
      RemoveCreatedFolders();
      CloseProgressDialog();
      return 0;
    }
    const std::string name = package.files[i].name;
    std::string target;
    const bool fits = BuildPath(&target, {package.destinationFolder, "\\", name});
    const bool exists = fits && Files().PathExists(target);
    if (exists && Windows().ShowMessageBox(Run().progressDialog,
                                       "File '" + name + "' already exists. Overwrite?",
                                       "File Already Exists", kMbYesNo) == kIdNo) {
      Run().declinedFiles.push_back(i);
      continue;
    }
    if (CopyWithRetry(name, target, fits, name, exists, true) == Copy::GivenUp) {
      CloseProgressDialog();
      return 0;
    }
    StepProgress();
  }

  std::string uninstaller;
  const bool fits = BuildPath(&uninstaller, {Files().WindowsFolder(), "\\", kUninstallerName});
  if (CopyWithRetry(kUninstallerName, uninstaller, fits, kUninstallerName, false, false) ==
      Copy::GivenUp) {
    CloseProgressDialog();
    return 0;
  }
  return 1;
}

}  // namespace qinstall
