// The progress dialog: its handlers, and the run's progress shown in it. Its one button
// cancels a running split and closes a finished one; its close box does the same, so a run
// never outlives its window.
#pragma once

#include "engine/split_progress.h"
#include "platform/system.h"

namespace parcelo {

constexpr char kTextCanceling[] = "Canceling...";
constexpr char kTextCancelTip[] = "Cancel Splitting";
constexpr char kTextClose[] = "Close";
constexpr char kTextCloseTip[] = "Close Split Status Dialog";
constexpr char kSoundSystemDefault[] = "SystemDefault";

// The progress dialog of the current run and its tooltip control.
extern WindowHandle progressDialog;
extern WindowHandle progressToolTip;

// The run's progress in the progress dialog, owner of the run's message boxes.
SplitProgress& ProgressDialogReport();

void ProgressDialogInit(WindowHandle dialog);
void ProgressDialogButton(WindowHandle dialog);
void ProgressDialogClose(WindowHandle dialog);

}  // namespace parcelo
