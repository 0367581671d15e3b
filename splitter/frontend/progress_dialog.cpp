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
    return Windows().ShowMessageBox(progressDialog, text, caption, style);
  }
  void ShowCaption(const std::string& text) override {
    Windows().SetItemText(progressDialog, kIdProgressCaption, text);
  }
  void ShowStatus(const std::string& text) override {
    Windows().SetItemText(progressDialog, kIdProgressStatus, text);
  }
  void SetRange(std::uint32_t maximum) override {
    Windows().ProgressSetRange(progressDialog, kIdProgressBar, 0, maximum);
  }
  void SetPosition(std::uint32_t position) override {
    Windows().ProgressSetPos(progressDialog, kIdProgressBar, position);
  }
  void Step(std::int32_t delta) override {
    Windows().ProgressDelta(progressDialog, kIdProgressBar, delta);
  }
  void EnableStop(bool enabled) override {
    Windows().EnableItem(progressDialog, kIdProgressButton, enabled);
  }
  void ShowFinished() override {
    Windows().SetItemText(progressDialog, kIdProgressButton, kTextClose);
    Windows().UpdateToolTip(progressToolTip, progressDialog, kIdProgressButton, kTextCloseTip);
    Windows().PlaySystemSound(kSoundSystemDefault);
  }
  void ForgetRequest() override { ResetMainDialogState(); }
  void Close(bool closeProgram) override {
    Windows().CloseWindow(progressDialog);
    if (closeProgram) Windows().CloseWindow(mainDialogWindow);
  }
};

// The worker sees the request at its next check and ends the run, which closes this dialog.
void RequestCancel(WindowHandle dialog) {
  Windows().SetItemText(dialog, kIdProgressStatus, kTextCanceling);
  Windows().EnableItem(dialog, kIdProgressButton, false);
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
  Windows().SetSmallIcon(dialog);
  if (appSettings.alwaysOnTop) Windows().SetTopmost(dialog, true);
  progressToolTip = Windows().CreateToolTips(dialog);
  Windows().AddToolTip(progressToolTip, dialog, kIdProgressButton, kTextCancelTip);
}

void ProgressDialogButton(WindowHandle dialog) {
  if (splitJob.running) {
    RequestCancel(dialog);
  } else {
    Windows().CloseWindow(dialog);
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
  mainDialogWindow = Windows().CreateModelessDialog(kDialogMain);
  Windows().DestroyDialog(dialog);
  if (progressDialog == dialog) progressDialog = nullptr;
}

}  // namespace parcelo
