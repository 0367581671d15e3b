// The dialog procedure of Uninstaller.exe's one dialog.
#pragma once

namespace qinstall {

// A DLGPROC, as void* so that this header needs no <windows.h>.
void* UninstallerDialogProcedureFor(int resource);

}  // namespace qinstall
