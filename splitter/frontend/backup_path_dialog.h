// The backup path dialog's handlers: the only ways out are a folder that exists
// (backups on) or a confirmed Cancel (backups off).
#pragma once

#include "platform/system.h"

namespace parcelo {

void BackupPathDialogBrowse(WindowHandle dialog);
void BackupPathDialogOk(WindowHandle dialog);
void BackupPathDialogCancel(WindowHandle dialog);

}  // namespace parcelo
