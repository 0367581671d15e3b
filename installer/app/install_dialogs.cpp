// Thin dialog procedures: each message becomes one call of the portable handlers.
#include <windows.h>

#include "app/install_dialogs.h"
#include "resources/resource_ids.h"
#include "ui/install_dialog.h"
#include "ui/progress_dialog.h"

namespace qinstall {
namespace {

INT_PTR CALLBACK InstallProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      InstallDialogInit(dialog);
      return TRUE;
    case WM_COMMAND:
      return InstallDialogCommand(dialog, LOWORD(wParam)) ? TRUE : FALSE;
    case WM_CLOSE:
      InstallDialogClose(dialog);
      return TRUE;
    default:
      return FALSE;
  }
}

INT_PTR CALLBACK ProgressProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      ProgressDialogInit(dialog);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) != IDC_CANCEL) return FALSE;
      ProgressDialogCancel();
      return TRUE;
    case WM_CLOSE:
      ProgressDialogClose(dialog);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

void* DialogProcedureFor(int resource) {
  switch (resource) {
    case IDD_INSTALL: return reinterpret_cast<void*>(&InstallProcedure);
    case IDD_PROGRESS: return reinterpret_cast<void*>(&ProgressProcedure);
    default: return nullptr;
  }
}

}  // namespace qinstall
