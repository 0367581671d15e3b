// The dialog procedure of each of the installer's dialog resources.
#pragma once

namespace qinstall {

// A DLGPROC, as void* so that this header needs no <windows.h>.
void* DialogProcedureFor(int resource);

}  // namespace qinstall
