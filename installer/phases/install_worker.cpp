#include "phases/install_worker.h"

#include <cstdint>

#include "package/install_package.h"
#include "phases/install_phases.h"
#include "phases/install_run.h"

namespace qinstall {
namespace {

bool ShortcutPhaseRuns(const InstallPackage& package) {
  return !package.shortcuts.empty() &&
         (Choices().startMenuShortcuts || Choices().desktopShortcuts);
}

// A confirmed cancel after the uninstall record takes back all that the run made.
void RollBackEverything() {
  RemoveCopiedFiles();
  RemoveShortcuts();
  RemoveCreatedFolders();
  RemoveUninstallRegistry();
}

}  // namespace

void InstallWorker() {
  InstallPackage& package = Package();
  const WindowHandle dialog = Run().progressDialog;
  const bool shortcutPhase = ShortcutPhaseRuns(package);

  // Formed in 32 bits: 65,535 files and a shortcut phase must not wrap to a tiny range.
  std::uint32_t top = static_cast<std::uint32_t>(package.files.size()) + 2;
  if (shortcutPhase) top += static_cast<std::uint32_t>(package.shortcuts.size());
  Windows().ProgressSetRange(dialog, kIdProgressBar, 0, top);
  Windows().ProgressSetPos(dialog, kIdProgressBar, 0);

  SetStatus("Initializing...");
  if (!CreateInstallFolders()) return;
  StepProgress();

  SetStatus("Copying Files...");
  if (!CopyPackageFiles()) return;

  if (shortcutPhase) {
    SetStatus("Creating shortcuts...");
    if (!CreateShortcuts()) return;
  }

  SetStatus("Updating registry...");
  if (!WriteUninstallRegistry()) {
    Windows().ShowMessageBox(nullptr, "Unexpected error accessing the system registry.",
                         "Unexpected Error", kMbOk);
    CloseProgressDialog();
    return;
  }
  StepProgress();

  // A record that cannot be written does not stop the run.
  WriteUninstallRecord(std::string(package.destinationFolder) + "\\Uninstall.qsu");
  StepProgress();

  const bool cancelled = CancelConfirmed();
  workerStage = WorkerStage::PastCheckPoints;
  if (cancelled) {
    RollBackEverything();
    CloseProgressDialog();
    return;
  }
  SetStatus("Done.");
  Windows().ShowMessageBox(dialog, "Installation is now complete.", "Installation Complete", kMbOk);
  CloseProgressDialog();
}

}  // namespace qinstall
