// The install dialog's handlers: one call per message of its dialog procedure.
#pragma once

#include "platform/system.h"

namespace qinstall {

void InstallDialogInit(WindowHandle dialog);
// A command by control id; false for ids the dialog does not handle.
bool InstallDialogCommand(WindowHandle dialog, int id);
void InstallDialogClose(WindowHandle dialog);

}  // namespace qinstall
