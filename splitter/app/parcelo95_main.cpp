// Parcelo95.exe: the entry and the message loop.
#include <windows.h>
#include <commctrl.h>

#include "app/dialog_procedures.h"
#include "frontend/main_dialog_state.h"
#include "frontend/startup.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_registry_system.h"
#include "platform/win32/win32_window_system.h"

using namespace parcelo;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  static Win32FileSystem files;
  static Win32RegistrySystem registry;
  static Win32WindowSystem windows;
  windows.SetProgram(instance, &DialogProcedureFor);
  InstallSystem({&files, &registry, &windows});
  InitCommonControls();
  StartParcelo(commandLine != nullptr ? commandLine : "");

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    // Read anew each time: a split destroys the main dialog and its end makes a new one.
    HWND mainDialog = static_cast<HWND>(mainDialogWindow);
    if (mainDialog != nullptr && IsDialogMessageA(mainDialog, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return static_cast<int>(message.wParam);
}
