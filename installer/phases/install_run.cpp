#include "phases/install_run.h"

#include "phases/run_writes.h"

namespace qinstall {
namespace {
InstallChoices choices;
InstallRun run;
}  // namespace

std::atomic<std::uint16_t> cancelRequested{0};
std::atomic<WorkerStage> workerStage{WorkerStage::Idle};

InstallChoices& Choices() { return choices; }
InstallRun& Run() { return run; }

void ResetInstallRun() {
  choices = InstallChoices{};
  run = InstallRun{};
  cancelRequested = 0;
  workerStage = WorkerStage::Idle;
}

bool CancelConfirmed() {
  if (cancelRequested.load() != 1) return false;
  return Windows().ShowMessageBox(run.progressDialog, "Are you sure you want to cancel the installation?",
                              "Cancel Installation", kMbYesNo | kMbIconQuestion) == kIdYes;
}

void StepProgress() { Windows().ProgressDelta(run.progressDialog, kIdProgressBar, 1); }

void SetStatus(const std::string& text) { Windows().SetItemText(run.progressDialog, kIdStatusText, text); }

void CloseProgressDialog() {
  // Every end of the run passes here, after any rollback: what is still kept aside now
  // belongs to no one.
  DropKeptFiles();
  workerStage = WorkerStage::Closing;
  Windows().CloseWindow(run.progressDialog);
}

}  // namespace qinstall
