// The Win32 System's platform, message boxes, dialogs and their items. Calls from the worker thread
// reach the dialogs through sent messages, which the UI thread carries out synchronously.
#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "platform/win32/win32_window_system.h"

namespace qinstall {
namespace {

HINSTANCE programInstance = nullptr;
void* (*dialogProcedureFor)(int resource) = nullptr;

HWND ToWindow(WindowHandle window) { return static_cast<HWND>(window); }
HWND Item(WindowHandle dialog, int id) { return GetDlgItem(ToWindow(dialog), id); }

}  // namespace

void SetWin32Program(void* instance, void* (*procedureFor)(int resource)) {
  programInstance = static_cast<HINSTANCE>(instance);
  dialogProcedureFor = procedureFor;
}

std::uint32_t Win32WindowSystem::PlatformId() {
  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof version;  // 148, the size every version knows
  if (!GetVersionExA(&version)) return kPlatformWin32s;
  return version.dwPlatformId;
}

int Win32WindowSystem::ShowMessageBox(WindowHandle owner, const std::string& text,
                                      const std::string& caption, unsigned style) {
  return MessageBoxA(ToWindow(owner), text.c_str(), caption.c_str(), style);
}

WindowHandle Win32WindowSystem::CreateModelessDialog(int resource) {
  return CreateDialogParamA(programInstance, MAKEINTRESOURCEA(resource), nullptr,
                            reinterpret_cast<DLGPROC>(dialogProcedureFor(resource)), 0);
}

void Win32WindowSystem::DestroyDialog(WindowHandle dialog) { DestroyWindow(ToWindow(dialog)); }

void Win32WindowSystem::CloseWindow(WindowHandle window) {
  SendMessageA(ToWindow(window), WM_CLOSE, 0, 0);
}

void Win32WindowSystem::PostQuit(int code) { PostQuitMessage(code); }

void Win32WindowSystem::SetCaption(WindowHandle window, const std::string& text) {
  SetWindowTextA(ToWindow(window), text.c_str());
}

void Win32WindowSystem::SetCaptionIcon(WindowHandle window, int iconResource) {
  const HICON icon = LoadIconA(programInstance, MAKEINTRESOURCEA(iconResource));
  SendMessageA(ToWindow(window), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
}

void Win32WindowSystem::SetItemText(WindowHandle dialog, int id, const std::string& text) {
  SetDlgItemTextA(ToWindow(dialog), id, text.c_str());
}

std::string Win32WindowSystem::GetItemText(WindowHandle dialog, int id, std::size_t maxChars) {
  std::vector<char> text(maxChars + 1, '\0');
  const UINT copied = GetDlgItemTextA(ToWindow(dialog), id, text.data(),
                                      static_cast<int>(text.size()));
  return std::string(text.data(), copied);
}

void Win32WindowSystem::SetItemChecked(WindowHandle dialog, int id, bool checked) {
  SendDlgItemMessageA(ToWindow(dialog), id, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED,
                      0);
}

void Win32WindowSystem::EnableItem(WindowHandle dialog, int id, bool enabled) {
  EnableWindow(Item(dialog, id), enabled ? TRUE : FALSE);
}

void Win32WindowSystem::FocusItem(WindowHandle dialog, int id) { SetFocus(Item(dialog, id)); }

void Win32WindowSystem::SetCaretToEnd(WindowHandle dialog, int id) {
  const int length = GetWindowTextLengthA(Item(dialog, id));
  SendDlgItemMessageA(ToWindow(dialog), id, EM_SETSEL, length, length);
}

// A range that fits 16 bits goes the way every progress bar knows; a larger one needs the
// 32-bit message, which the first Windows 95 progress bar lacks.
void Win32WindowSystem::ProgressSetRange(WindowHandle dialog, int id, std::uint32_t minimum,
                                         std::uint32_t maximum) {
  if (maximum <= 0xFFFF) {
    SendDlgItemMessageA(ToWindow(dialog), id, PBM_SETRANGE, 0, MAKELPARAM(minimum, maximum));
  } else {
    SendDlgItemMessageA(ToWindow(dialog), id, PBM_SETRANGE32, minimum, maximum);
  }
}

void Win32WindowSystem::ProgressSetPos(WindowHandle dialog, int id, std::uint32_t position) {
  SendDlgItemMessageA(ToWindow(dialog), id, PBM_SETPOS, position, 0);
}

void Win32WindowSystem::ProgressDelta(WindowHandle dialog, int id, std::int32_t delta) {
  SendDlgItemMessageA(ToWindow(dialog), id, PBM_DELTAPOS, static_cast<WPARAM>(delta), 0);
}

}  // namespace qinstall
