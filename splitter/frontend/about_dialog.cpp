#include "frontend/about_dialog.h"

#include "frontend/frontend_messages.h"
#include "resources/control_ids.h"

namespace parcelo {

bool AboutDialogInit(WindowHandle dialog) {
  Windows().ShowProgramIcon(dialog, kIdAboutIcon);
  const WindowHandle tips = Windows().CreateToolTips(dialog);
  Windows().AddToolTip(tips, dialog, kIdHomepageButton, "Goto Tavrin Parcelo 95 Homepage");
  Windows().AddToolTip(tips, dialog, kIdEmailButton, "Email For Support");
  Windows().AddToolTip(tips, dialog, kIdCloseButton, "Close About Dialog");
  Windows().FocusItem(dialog, kIdCloseButton);
  return false;
}

void AboutDialogCommand(WindowHandle dialog, int id) {
  switch (id) {
    case kIdHomepageButton:
      Windows().ShellOpen(kHomepageAddress);
      break;
    case kIdEmailButton:
      Windows().ShellOpen(kSupportMailto);
      break;
    case kIdCloseButton:
      Windows().CloseWindow(dialog);
      break;
    default:
      break;
  }
}

void AboutDialogClose(WindowHandle dialog) {
  Windows().ReleaseProgramIcon(dialog, kIdAboutIcon);
  Windows().EndModalDialog(dialog, 0);
}

}  // namespace parcelo
