// Thin dialog procedures: each message becomes one call of the portable handlers.
#include <windows.h>
#include <shellapi.h>

#include "app/dialog_procedures.h"
#include "frontend/about_dialog.h"
#include "frontend/backup_path_dialog.h"
#include "frontend/main_dialog.h"
#include "frontend/options_dialog.h"
#include "frontend/progress_dialog.h"
#include "resources/control_ids.h"

namespace parcelo {
namespace {

INT_PTR CALLBACK MainProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      MainDialogInit(dialog);
      return TRUE;
    case WM_COMMAND:
      MainDialogCommand(dialog, LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_DROPFILES: {
      HDROP drop = reinterpret_cast<HDROP>(wParam);
      char path[MAX_PATH + 1] = "";
      DragQueryFileA(drop, 0, path, sizeof path);
      DragFinish(drop);
      MainDialogDropFile(dialog, path);
      return TRUE;
    }
    case WM_HELP:
      MainDialogContextHelp(reinterpret_cast<HELPINFO*>(lParam)->hItemHandle);
      return TRUE;
    case WM_CLOSE:
      MainDialogClose(dialog);
      return TRUE;
    default:
      return FALSE;
  }
}

INT_PTR CALLBACK OptionsProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      OptionsDialogInit(dialog);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == kIdOkButton) OptionsDialogOk(dialog);
      if (LOWORD(wParam) == kIdCancelButton) OptionsDialogCancel(dialog);
      return TRUE;
    case WM_CLOSE:
      OptionsDialogCancel(dialog);
      return TRUE;
    default:
      return FALSE;
  }
}

INT_PTR CALLBACK AboutProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return AboutDialogInit(dialog) ? TRUE : FALSE;
    case WM_COMMAND:
      AboutDialogCommand(dialog, LOWORD(wParam));
      return TRUE;
    case WM_CLOSE:
      AboutDialogClose(dialog);
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
      if (LOWORD(wParam) == kIdProgressButton) ProgressDialogButton(dialog);
      return TRUE;
    case WM_CLOSE:
      ProgressDialogClose(dialog);
      return TRUE;
    default:
      return FALSE;
  }
}

INT_PTR CALLBACK BackupProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message != WM_COMMAND) return FALSE;
  switch (LOWORD(wParam)) {
    case kIdBackupBrowse: BackupPathDialogBrowse(dialog); break;
    case kIdOkButton: BackupPathDialogOk(dialog); break;
    case kIdCancelButton: BackupPathDialogCancel(dialog); break;
    default: return FALSE;
  }
  return TRUE;
}

}  // namespace

void* DialogProcedureFor(int resource) {
  switch (resource) {
    case kDialogMain: return reinterpret_cast<void*>(&MainProcedure);
    case kDialogBackup: return reinterpret_cast<void*>(&BackupProcedure);
    case kDialogProgress: return reinterpret_cast<void*>(&ProgressProcedure);
    case kDialogOptions: return reinterpret_cast<void*>(&OptionsProcedure);
    case kDialogAbout: return reinterpret_cast<void*>(&AboutProcedure);
    default: return nullptr;
  }
}

}  // namespace parcelo
