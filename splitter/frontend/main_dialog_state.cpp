#include "frontend/main_dialog_state.h"

namespace parcelo {

MainDialogState mainDialogState;
WindowHandle mainDialogWindow = nullptr;

void ResetMainDialogState() { mainDialogState = MainDialogState{}; }

}  // namespace parcelo
