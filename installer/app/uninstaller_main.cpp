// Uninstaller.exe: started by the system as "<Windows folder>\Uninstaller.exe <record>",
// it removes what the record names, showing its progress, and ends.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "app/uninstaller_dialogs.h"
#include "platform/win32/win32_window_system.h"
#include "uninstaller/record_path.h"
#include "uninstaller/uninstall_run.h"

using namespace qinstall;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  SetWin32Program(instance, &UninstallerDialogProcedureFor);
  InstallSystem(PlatformSystem());
  InitCommonControls();  // for the progress bar

  // A relative record path means the folder the user started it from. Then leave that
  // folder: a folder that is a process's current directory cannot be removed.
  std::string recordPath = RecordPathFromCommandLine(GetCommandLineA());
  if (!recordPath.empty()) {
    char full[MAX_PATH];
    const DWORD length = GetFullPathNameA(recordPath.c_str(), MAX_PATH, full, nullptr);
    if (length > 0 && length < MAX_PATH) recordPath = full;
  }
  SetCurrentDirectoryA(Files().WindowsFolder().c_str());
  if (!StartUninstaller(recordPath)) return 0;

  MSG message = {};
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    HWND progress = static_cast<HWND>(Uninstall().progressDialog);
    if (progress != nullptr && IsDialogMessageA(progress, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return static_cast<int>(message.wParam);
}
