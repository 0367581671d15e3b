// The About box's handlers.
#pragma once

#include "platform/system.h"

namespace parcelo {

// False: the focus has been put on Close.
bool AboutDialogInit(WindowHandle dialog);
void AboutDialogCommand(WindowHandle dialog, int id);
void AboutDialogClose(WindowHandle dialog);

}  // namespace parcelo
