// The Win32 System's dialogs and their items.
#include <windows.h>
#include <commctrl.h>

#include "platform/win32/win32_window_system.h"

namespace parcelo {
namespace {

HWND ToWindow(WindowHandle window) { return static_cast<HWND>(window); }
HWND Item(WindowHandle dialog, int id) { return GetDlgItem(ToWindow(dialog), id); }

}  // namespace

void Win32WindowSystem::SetProgram(void* instance, void* (*procedureFor)(int resource)) {
  instance_ = instance;
  procedureFor_ = procedureFor;
  icon_ = LoadIconA(static_cast<HINSTANCE>(instance), MAKEINTRESOURCEA(1));
}

std::string Win32WindowSystem::GetItemText(WindowHandle dialog, int id) {
  // The whole text: a path cut to a buffer would name another file.
  const int length = GetWindowTextLengthA(Item(dialog, id));
  if (length <= 0) return {};
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const UINT copied = GetDlgItemTextA(ToWindow(dialog), id, &text[0], length + 1);
  text.resize(copied);
  return text;
}

bool Win32WindowSystem::IsItemChecked(WindowHandle dialog, int id) {
  return SendDlgItemMessageA(ToWindow(dialog), id, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Win32WindowSystem::SetItemChecked(WindowHandle dialog, int id, bool checked) {
  SendDlgItemMessageA(ToWindow(dialog), id, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED,
                      0);
}

void Win32WindowSystem::EnableItem(WindowHandle dialog, int id, bool enabled) {
  EnableWindow(Item(dialog, id), enabled ? TRUE : FALSE);
}

void Win32WindowSystem::FocusItem(WindowHandle dialog, int id) { SetFocus(Item(dialog, id)); }

void Win32WindowSystem::ListInsert(WindowHandle dialog, int id, int index, const std::string& text) {
  SendDlgItemMessageA(ToWindow(dialog), id, CB_INSERTSTRING, static_cast<WPARAM>(index),
                      reinterpret_cast<LPARAM>(text.c_str()));
}

int Win32WindowSystem::ListSelection(WindowHandle dialog, int id) {
  const LRESULT selection = SendDlgItemMessageA(ToWindow(dialog), id, CB_GETCURSEL, 0, 0);
  return selection == CB_ERR ? -1 : static_cast<int>(selection);
}

void Win32WindowSystem::ListSelect(WindowHandle dialog, int id, int index) {
  SendDlgItemMessageA(ToWindow(dialog), id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void Win32WindowSystem::SetCaretToEnd(WindowHandle dialog, int id) {
  const int length = GetWindowTextLengthA(Item(dialog, id));
  SendDlgItemMessageA(ToWindow(dialog), id, EM_SETSEL, length, length);
}

WindowHandle Win32WindowSystem::CreateModelessDialog(int resource) {
  return CreateDialogParamA(static_cast<HINSTANCE>(instance_), MAKEINTRESOURCEA(resource),
                            nullptr, reinterpret_cast<DLGPROC>(procedureFor_(resource)), 0);
}

int Win32WindowSystem::RunModalDialog(int resource, WindowHandle owner) {
  return static_cast<int>(DialogBoxParamA(static_cast<HINSTANCE>(instance_),
                                          MAKEINTRESOURCEA(resource), ToWindow(owner),
                                          reinterpret_cast<DLGPROC>(procedureFor_(resource)), 0));
}

void Win32WindowSystem::EndModalDialog(WindowHandle dialog, int result) {
  EndDialog(ToWindow(dialog), result);
}

void Win32WindowSystem::DestroyDialog(WindowHandle dialog) { DestroyWindow(ToWindow(dialog)); }

void Win32WindowSystem::PostQuit() { PostQuitMessage(0); }

void Win32WindowSystem::SetTopmost(WindowHandle window, bool topmost) {
  SetWindowPos(ToWindow(window), topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE);
}

void Win32WindowSystem::SetSmallIcon(WindowHandle window) {
  SendMessageA(ToWindow(window), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
}

void Win32WindowSystem::ShowProgramIcon(WindowHandle dialog, int id) {
  SendDlgItemMessageA(ToWindow(dialog), id, STM_SETIMAGE, IMAGE_ICON,
                      reinterpret_cast<LPARAM>(icon_));
}

// The icon comes from LoadIcon, which shares it for the life of the program; it is taken
// off the control but not destroyed.
void Win32WindowSystem::ReleaseProgramIcon(WindowHandle dialog, int id) {
  SendDlgItemMessageA(ToWindow(dialog), id, STM_SETIMAGE, IMAGE_ICON, 0);
}

void Win32WindowSystem::AcceptDroppedFiles(WindowHandle dialog) { DragAcceptFiles(ToWindow(dialog), TRUE); }

WindowHandle Win32WindowSystem::CreateToolTips(WindowHandle dialog) {
  return CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, TTS_ALWAYSTIP, CW_USEDEFAULT,
                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, ToWindow(dialog), nullptr,
                         static_cast<HINSTANCE>(instance_), nullptr);
}

void Win32WindowSystem::AddToolTip(WindowHandle toolTip, WindowHandle dialog, int id,
                             const std::string& text) {
  if (toolTip == nullptr) return;
  TOOLINFOA info = {};
#ifdef TTTOOLINFOA_V1_SIZE
  info.cbSize = TTTOOLINFOA_V1_SIZE;  // Win95's comctl32 rejects the later, larger ones
#else
  info.cbSize = sizeof(info);
#endif
  info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  info.hwnd = ToWindow(dialog);
  info.uId = reinterpret_cast<UINT_PTR>(Item(dialog, id));
  info.lpszText = const_cast<char*>(text.c_str());  // the control copies it
  SendMessageA(ToWindow(toolTip), TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
}

}  // namespace parcelo
