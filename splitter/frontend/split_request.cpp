// The Split button: the request's checks, then the commit and the start of a run.
#include "engine/app_settings.h"
#include "engine/request_checks.h"
#include "engine/split_job.h"
#include "engine/split_messages.h"
#include "engine/split_run.h"
#include "engine/split_size.h"
#include "frontend/frontend_messages.h"
#include "frontend/main_dialog.h"
#include "frontend/main_dialog_size.h"
#include "frontend/main_dialog_state.h"
#include "frontend/progress_dialog.h"
#include "resources/control_ids.h"

namespace parcelo {
namespace {

// The dialog takes the System's word on every name; a default destination shows in its edit.
class DialogChecks final : public RequestChecks {
 public:
  void DestinationDefaulted(const std::string& folder) override {
    Windows().SetItemText(mainDialogWindow, kIdDestinationEdit, folder);
  }
};

// Steps up to the commit; false after a refusal or a No.
bool CheckRequest(WindowHandle dialog, RequestVerdict* verdict) {
  SplitJob& job = splitJob;
  MainDialogState& state = mainDialogState;
  SplitRequest request;
  request.source = Windows().GetItemText(dialog, kIdSourceEdit);
  request.destination = Windows().GetItemText(dialog, kIdDestinationEdit);
  state.splitSizeText = Windows().GetItemText(dialog, kIdSizeEdit);
  state.sizeUnit = Windows().ListSelection(dialog, kIdUnitList);
  state.presetIndex = Windows().ListSelection(dialog, kIdPresetList);

  if (!ParseSplitSize()) return false;
  request.spanToDisk = job.spanToDisk;
  request.pieceSize = job.pieceSize;
  request.pieceSizeTooBig = state.pieceSizeTooBig;
  request.pieceCount = job.pieceCount;  // as the label counted it
  DialogChecks checks;
  *verdict = CheckSplitRequest(request, dialog, checks);
  if (!verdict->refusal.empty()) {
    Windows().ShowMessageBox(dialog, verdict->refusal, kCaptionError, kMbIconError);
  }
  if (!verdict->accepted) return false;
  job.sourcePath = request.source;
  job.destinationPath = verdict->destination;
  job.sourceSize = verdict->source.size;
  return true;
}

}  // namespace

void ValidateAndStartSplit(WindowHandle dialog) {
  SplitJob& job = splitJob;
  RequestVerdict verdict;
  if (!CheckRequest(dialog, &verdict)) return;

  job.pieceCount =
      job.spanToDisk ? 0 : static_cast<std::uint32_t>(CountPieces(job.sourceSize, job.pieceSize));
  if (!ConfirmPieceCount(dialog, job.pieceCount)) return;

  job.backupEnabled = 0;
  if (job.spanToDisk && appSettings.backupPrompt &&
      Windows().ShowMessageBox(dialog, kTextBackupQuestion, kCaptionBackupPieces,
                           kMbIconQuestion | kMbYesNo) == kIdYes) {
    job.backupEnabled = 1;
    Windows().RunModalDialog(kDialogBackup, dialog);
  }

  splitProgress = &ProgressDialogReport();
  progressDialog = Windows().CreateModelessDialog(kDialogProgress);
  // Cleared first: the dying dialog's edits still report losing the focus, and those
  // notifications must not read the request back from half-destroyed controls.
  if (mainDialogWindow == dialog) mainDialogWindow = nullptr;
  Windows().DestroyDialog(dialog);
  if (!PrepareSplitRun()) return;
  // Without a thread the run cannot go on: end it like a failed one, back to a main dialog.
  if (!Windows().StartWorker(&SplitWorker)) EndSplitRun(false);
}

}  // namespace parcelo
