#include "frontend/about_dialog.h"

#include "frontend/frontend_messages.h"
#include "resources/control_ids.h"

namespace parcelo {

bool AboutDialogInit(WindowHandle dialog) {
  Sys().ShowProgramIcon(dialog, kIdAboutIcon);
  const WindowHandle tips = Sys().CreateToolTips(dialog);
  Sys().AddToolTip(tips, dialog, kIdHomepageButton, "Goto Tavrin Parcelo 95 Homepage");
  Sys().AddToolTip(tips, dialog, kIdEmailButton, "Email For Support");
  Sys().AddToolTip(tips, dialog, kIdCloseButton, "Close About Dialog");
  Sys().FocusItem(dialog, kIdCloseButton);
  return false;
}

void AboutDialogCommand(WindowHandle dialog, int id) {
  switch (id) {
    case kIdHomepageButton:
      Sys().ShellOpen(kHomepageAddress);
      break;
    case kIdEmailButton:
      Sys().ShellOpen(kSupportMailto);
      break;
    case kIdCloseButton:
      Sys().CloseWindow(dialog);
      break;
    default:
      break;
  }
}

void AboutDialogClose(WindowHandle dialog) {
  Sys().ReleaseProgramIcon(dialog, kIdAboutIcon);
  Sys().EndModalDialog(dialog, 0);
}

}  // namespace parcelo
