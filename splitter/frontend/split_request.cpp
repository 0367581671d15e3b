// The Split button: every check in its fixed order, then the commit and the start of a run.
#include "engine/piece_name.h"
#include "engine/split_job.h"
#include "engine/split_messages.h"
#include "engine/split_run.h"
#include "engine/text_format.h"
#include "frontend/app_settings.h"
#include "frontend/control_ids.h"
#include "frontend/frontend_messages.h"
#include "frontend/main_dialog.h"
#include "frontend/main_dialog_state.h"
#include "frontend/split_size.h"

namespace parcelo {
namespace {

void Refuse(WindowHandle dialog, const char* text) {
  Sys().ShowMessageBox(dialog, text, kCaptionError, kMbIconError);
}

bool IsRoot(const std::string& path) { return path.size() <= 3; }

// Steps up to the commit; false after a refusal or a No.
bool CheckRequest(WindowHandle dialog, std::string* source, std::string* destination,
                  FoundFile* found) {
  SplitJob& job = splitJob;
  MainDialogState& state = mainDialogState;
  *source = Sys().GetItemText(dialog, kIdSourceEdit);
  *destination = Sys().GetItemText(dialog, kIdDestinationEdit);
  state.splitSizeText = Sys().GetItemText(dialog, kIdSizeEdit);
  state.sizeUnit = Sys().ListSelection(dialog, kIdUnitList);
  state.presetIndex = Sys().ListSelection(dialog, kIdPresetList);

  if (!ParseSplitSize()) return false;
  // A size that the engine cannot take never reaches it.
  if (!job.spanToDisk && state.pieceSizeTooBig) return Refuse(dialog, kTextSplitSizeTooBig), false;
  if (!job.spanToDisk && job.pieceSize == 0) return Refuse(dialog, kTextSplitSizeZero), false;
  if (!job.spanToDisk && job.pieceCount == 1) return Refuse(dialog, kTextOnePiece), false;
  if (!job.spanToDisk && job.pieceCount > 1000) return Refuse(dialog, kTextTooManyPieces), false;

  if (job.spanToDisk) {
    if (!IsRoot(*destination)) return Refuse(dialog, kTextSpanToFolder), false;
    if (Sys().DriveTypeOf(*destination) != DriveType::Removable) {
      return Refuse(dialog, kTextSpanNotRemovable), false;
    }
  } else if (Sys().DriveTypeOf(destination->substr(0, 3)) == DriveType::Removable &&
             Sys().ShowMessageBox(dialog, kTextRemovableWarning, kCaptionWarning,
                                  kMbIconWarning | kMbYesNo) != kIdYes) {
    return false;
  }

  if (!Sys().FindFile(*source, found)) return Refuse(dialog, kTextSourceNotFound), false;
  // Such a name opens the device, not the file; its pieces and join file would too.
  for (const std::string& name : {LastComponent(*source), found->name}) {
    if (IsDosDeviceName(name)) {
      Sys().ShowMessageBox(dialog, Format(kTextSourceNameIsDevice, name.c_str()), kCaptionError,
                           kMbIconError);
      return false;
    }
  }

  if (destination->empty() && source->size() > 1 && (*source)[1] == ':' && !job.spanToDisk) {
    *destination = DefaultDestination(*source);
  }
  if (!job.spanToDisk && !destination->empty()) {
    FoundFile target;
    const bool exists = Sys().FindFile(*destination, &target);
    if (!exists) {
      if (!IsRoot(*destination)) return Refuse(dialog, kTextDestinationFolderNotFound), false;
      if (Sys().DriveTypeOf(*destination) == DriveType::NoRootDir) {
        return Refuse(dialog, kTextDestinationDriveNotFound), false;
      }
    } else if (!IsRoot(*destination) && !target.isDirectory) {
      return Refuse(dialog, kTextDestinationNotFolder), false;
    }
  }

  if (found->size >= kFourGigabytes) return Refuse(dialog, kTextSourceTooLarge), false;
  job.sourceSize = found->size;
  if (job.sourceSize < job.pieceSize) return Refuse(dialog, kTextSizeOverSource), false;
  return true;
}

}  // namespace

void ValidateAndStartSplit(WindowHandle dialog) {
  SplitJob& job = splitJob;
  std::string source, destination;
  FoundFile found;
  if (!CheckRequest(dialog, &source, &destination, &found)) return;

  job.sourcePath = source;
  job.destinationPath = destination;
  job.pieceCount =
      job.spanToDisk ? 0 : static_cast<std::uint32_t>(CountPieces(job.sourceSize, job.pieceSize));
  if (job.pieceCount >= 100 &&
      Sys().ShowMessageBox(dialog, Format(kTextManyPieces, static_cast<int>(job.pieceCount)),
                           kCaptionWarning, kMbIconWarning | kMbYesNo) != kIdYes) {
    return;
  }

  job.backupEnabled = 0;
  if (job.spanToDisk && appSettings.backupPrompt &&
      Sys().ShowMessageBox(dialog, kTextBackupQuestion, kCaptionBackupPieces,
                           kMbIconQuestion | kMbYesNo) == kIdYes) {
    job.backupEnabled = 1;
    Sys().RunModalDialog(kDialogBackup, dialog);
  }

  progressDialog = Sys().CreateModelessDialog(kDialogProgress);
  // Cleared first: the dying dialog's edits still report losing the focus, and those
  // notifications must not read the request back from half-destroyed controls.
  if (mainDialogWindow == dialog) mainDialogWindow = nullptr;
  Sys().DestroyDialog(dialog);
  if (!PrepareSplitRun()) return;
  // Without a thread the run cannot go on: end it like a failed one, back to a main dialog.
  if (!Sys().StartWorker(&SplitWorker)) EndSplitRun(false);
}

}  // namespace parcelo
