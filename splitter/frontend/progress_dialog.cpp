#include "frontend/progress_dialog.h"

#include "engine/app_settings.h"
#include "engine/split_job.h"
#include "frontend/main_dialog_state.h"
#include "resources/control_ids.h"

namespace parcelo {

WindowHandle progressDialog = nullptr;
WindowHandle progressToolTip = nullptr;

namespace {

class DialogProgress final : public SplitProgress {
 public:
  int Ask(const std::string& text, const std::string& caption, unsigned style) override {
    return Sys().ShowMessageBox(progressDialog, text, caption, style);
  }
  void ShowCaption(const std::string& text) override {
    Sys().SetItemText(progressDialog, kIdProgressCaption, text);
  }
  void ShowStatus(const std::string& text) override {
    Sys().SetItemText(progressDialog, kIdProgressStatus, text);
  }
  void SetRange(std::uint32_t maximum) override {
    Sys().ProgressSetRange(progressDialog, kIdProgressBar, 0, maximum);
  }
  void SetPosition(std::uint32_t position) override {
    Sys().ProgressSetPos(progressDialog, kIdProgressBar, position);
  }
  void Step(std::int32_t delta) override {
    Sys().ProgressDelta(progressDialog, kIdProgressBar, delta);
  }
  void EnableStop(bool enabled) override {
    Sys().EnableItem(progressDialog, kIdProgressButton, enabled);
  }
  void ShowFinished() override {
    Sys().SetItemText(progressDialog, kIdProgressButton, kTextClose);
    Sys().UpdateToolTip(progressToolTip, progressDialog, kIdProgressButton, kTextCloseTip);
    Sys().PlaySystemSound(kSoundSystemDefault);
  }
  void ForgetRequest() override { ResetMainDialogState(); }
  void Close(bool closeProgram) override {
    Sys().CloseWindow(progressDialog);
    if (closeProgram) Sys().CloseWindow(mainDialogWindow);
  }
};

// The worker sees the request at its next check and ends the run, which closes this dialog.
void RequestCancel(WindowHandle dialog) {
  Sys().SetItemText(dialog, kIdProgressStatus, kTextCanceling);
  Sys().EnableItem(dialog, kIdProgressButton, false);
  splitJob.cancelRequested = 1;
}

}  // namespace

SplitProgress& ProgressDialogReport() {
  static DialogProgress report;
  return report;
}

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
