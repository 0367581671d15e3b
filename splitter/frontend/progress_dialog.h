// The progress dialog's handlers. Its one button cancels a running split and closes a
// finished one; its close box does the same, so a run never outlives its window.
#pragma once

#include "platform/system.h"

namespace parcelo {

constexpr char kTextCanceling[] = "Canceling...";
constexpr char kTextCancelTip[] = "Cancel Splitting";

void ProgressDialogInit(WindowHandle dialog);
void ProgressDialogButton(WindowHandle dialog);
void ProgressDialogClose(WindowHandle dialog);

}  // namespace parcelo
