// The removal progress dialog: the worker writes into it; it closes itself at the end.
#include <windows.h>

#include "app/uninstaller_dialogs.h"
#include "resources/uninstaller_ids.h"
#include "uninstaller/uninstall_run.h"

namespace qinstall {
namespace {

INT_PTR CALLBACK RemovalProgressProcedure(HWND, UINT message, WPARAM, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return TRUE;
    case WM_CLOSE:
      CloseRemovalDialog();
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

void* UninstallerDialogProcedureFor(int resource) {
  return resource == IDD_REMOVAL_PROGRESS ? reinterpret_cast<void*>(&RemovalProgressProcedure)
                                          : nullptr;
}

}  // namespace qinstall
