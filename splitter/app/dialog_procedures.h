// The dialog procedure of each of the splitter's dialog resources.
#pragma once

namespace parcelo {

// A DLGPROC, as void* so that this header needs no <windows.h>.
void* DialogProcedureFor(int resource);

}  // namespace parcelo
