#include "engine/progress_dialog.h"

#include "engine/split_job.h"
#include "engine/split_messages.h"
#include "frontend/app_settings.h"
#include "frontend/control_ids.h"
#include "frontend/main_dialog_state.h"

namespace parcelo {
namespace {

// The worker sees the request at its next check and ends the run, which closes this dialog.
void RequestCancel(WindowHandle dialog) {
  Sys().SetItemText(dialog, kIdProgressStatus, kTextCanceling);
  Sys().EnableItem(dialog, kIdProgressButton, false);
  splitJob.cancelRequested = 1;
}

}  // namespace

void ProgressDialogInit(WindowHandle dialog) {
  progressDialog = dialog;
  splitJob.running = 0;
  Sys().SetSmallIcon(dialog);
  if (appSettings.alwaysOnTop) Sys().SetTopmost(dialog, true);
  progressToolTip = Sys().CreateToolTips(dialog);
  Sys().AddToolTip(progressToolTip, dialog, kIdProgressButton, kTextCancelTip);
}

void ProgressDialogButton(WindowHandle dialog) {
  if (splitJob.running) {
    RequestCancel(dialog);
  } else {
    Sys().CloseWindow(dialog);
  }
}

void ProgressDialogClose(WindowHandle dialog) {
  if (splitJob.running) {
    RequestCancel(dialog);
    return;
  }
  // The worker still has its last questions to ask; it closes the dialog itself or
  // enables the button when they are done.
  if (splitJob.finishing) return;
  mainDialogWindow = Sys().CreateModelessDialog(kDialogMain);
  Sys().DestroyDialog(dialog);
  if (progressDialog == dialog) progressDialog = nullptr;
}

}  // namespace parcelo
