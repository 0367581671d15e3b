// The progress dialog's handlers: one call per message of its dialog procedure.
#pragma once

#include "platform/system.h"

namespace qinstall {

void ProgressDialogInit(WindowHandle dialog);
// The cancel command (the button, Esc): asks the worker to stop at its next check point.
void ProgressDialogCancel();
void ProgressDialogClose(WindowHandle dialog);

}  // namespace qinstall
