// Install.exe: the entry and the message loop over the install and progress dialogs.
#include <windows.h>
#include <commctrl.h>

#include "app/install_dialogs.h"
#include "package/install_package.h"
#include "phases/install_run.h"
#include "platform/win32/win32_window_system.h"
#include "ui/installer_startup.h"

using namespace qinstall;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  SetWin32Program(instance, &DialogProcedureFor);
  InstallSystem(PlatformSystem());
  InitCommonControls();  // for the progress bar
  if (!StartInstaller()) return 0;

  MSG message = {};
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    // Read anew each time: Install destroys the install dialog and makes the progress one.
    HWND install = static_cast<HWND>(Run().installDialog);
    HWND progress = static_cast<HWND>(Run().progressDialog);
    if (install != nullptr && IsDialogMessageA(install, &message)) continue;
    if (progress != nullptr && IsDialogMessageA(progress, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  ResetInstallPackage();
  return static_cast<int>(message.wParam);
}
