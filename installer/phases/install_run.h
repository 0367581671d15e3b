// What one installation shares between the dialogs, the worker and the phases: the user's
// shortcut choices, the cancel flag, the progress dialog and what this run created.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/system.h"

namespace qinstall {

struct InstallChoices {
  bool startMenuShortcuts = true;
  bool desktopShortcuts = false;
};
InstallChoices& Choices();

// Set to 1 by the progress dialog's cancel command on the UI thread; read by the worker at
// its check points. Never set back to 0 during a run.
extern std::atomic<std::uint16_t> cancelRequested;

// A file or link this run wrote, in the order written. keptPath holds what was at path
// before the run, set aside in the same folder, or is empty when path was free.
struct RunWrite {
  enum class Kind { File, Link };
  Kind kind;
  std::string path;
  std::string keptPath;
};

// A value of an uninstall key that was there before the run, as the run found it.
struct KeptValue {
  std::string name;
  bool existed = false;
  RegistryValue value;
};

struct InstallRun {
  WindowHandle installDialog = nullptr;   // until Install or Cancel
  WindowHandle progressDialog = nullptr;
  bool destinationCreated = false;
  bool startMenuFolderCreated = false;
  bool uninstallKeyCreated = false;
  // The values this run set in an uninstall key it did not create, in the order set.
  std::vector<KeptValue> uninstallValues;
  std::vector<RunWrite> writes;
  // Entries of the package's files whose existing copy the user chose to keep, in order.
  std::vector<std::size_t> declinedFiles;
};
InstallRun& Run();

// Where the worker is, as the progress dialog's close handling needs it: a close while it
// runs is a cancel request, one after its last check point waits for the worker's own close.
enum class WorkerStage { Idle, Running, PastCheckPoints, Closing };
extern std::atomic<WorkerStage> workerStage;

// Choices, flags and the cancel flag back to how a new run starts them (tests).
void ResetInstallRun();

// Control ids of the progress dialog that the phases reach.
constexpr int kIdStatusText = 100;
constexpr int kIdProgressBar = 102;

// A cancel check point: when cancelRequested is 1, asks "Are you sure you want to cancel
// the installation?" (owned by the progress dialog) and returns true on Yes only.
bool CancelConfirmed();
// One step of the progress bar.
void StepProgress();
void SetStatus(const std::string& text);
// Sends WM_CLOSE to the progress dialog as the worker's own close; when it returns the
// dialog is gone and the quit message posted.
void CloseProgressDialog();

}  // namespace qinstall
