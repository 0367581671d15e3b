// The Options dialog: a check box for each of the eight flags, stored on OK.
#pragma once

#include "platform/system.h"

namespace parcelo {

void OptionsDialogInit(WindowHandle dialog);
void OptionsDialogOk(WindowHandle dialog);
void OptionsDialogCancel(WindowHandle dialog);

}  // namespace parcelo
