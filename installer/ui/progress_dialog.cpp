#include "ui/progress_dialog.h"

#include <string>

#include "package/install_package.h"
#include "phases/install_run.h"
#include "resources/resource_ids.h"

namespace qinstall {

void ProgressDialogInit(WindowHandle dialog) {
  Run().progressDialog = dialog;
  Windows().SetCaptionIcon(dialog, IDI_DIALOG);
  Windows().SetCaption(dialog, std::string("Installing ") + Package().productName);
}

void ProgressDialogCancel() { cancelRequested = 1; }

// Only the worker's own close destroys the dialog while it runs, so the package is never
// released under it and a confirmed cancel is rolled back; a close from the caption before
// its last check point is a cancel request, and one after it waits for the worker.
void ProgressDialogClose(WindowHandle dialog) {
  switch (workerStage.load()) {
    case WorkerStage::Running:
      ProgressDialogCancel();
      return;
    case WorkerStage::PastCheckPoints:
      return;
    case WorkerStage::Idle:
    case WorkerStage::Closing:
      break;
  }
  Windows().DestroyDialog(dialog);
  Run().progressDialog = nullptr;
  Windows().PostQuit(0);
}

}  // namespace qinstall
