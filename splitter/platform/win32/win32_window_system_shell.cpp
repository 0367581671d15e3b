// The Win32 System's shell facilities: file and folder browsers, help, addresses, the worker.
#include <windows.h>
#include <commdlg.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include "platform/win32/win32_window_system.h"

namespace parcelo {
namespace {

HWND ToWindow(WindowHandle window) { return static_cast<HWND>(window); }

DWORD WINAPI RunWorker(LPVOID procedure) {
  return static_cast<DWORD>(reinterpret_cast<int (*)()>(procedure)());
}

}  // namespace

bool Win32WindowSystem::BrowseForFile(WindowHandle owner, const std::string& title, std::string* path) {
  char file[MAX_PATH + 1] = "";
  OPENFILENAMEA dialog = {};
#ifdef OPENFILENAME_SIZE_VERSION_400A
  dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400A;  // what Windows 95 knows
#else
  dialog.lStructSize = sizeof dialog;
#endif
  dialog.hwndOwner = ToWindow(owner);
  dialog.lpstrFilter = "All Files\0*.*\0";
  dialog.lpstrFile = file;
  dialog.nMaxFile = MAX_PATH + 1;
  dialog.lpstrTitle = title.c_str();
  dialog.Flags = OFN_LONGNAMES | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
  // Loaded here rather than imported: under Wine, loading the common dialogs starts the
  // desktop process, a second and more at every start of the console tool, which never
  // browses.
  HMODULE dialogs = LoadLibraryA("comdlg32.dll");
  if (dialogs == nullptr) return false;
  auto open = reinterpret_cast<BOOL(WINAPI*)(OPENFILENAMEA*)>(
      reinterpret_cast<void (*)()>(GetProcAddress(dialogs, "GetOpenFileNameA")));
  const bool chosen = open != nullptr && open(&dialog);
  FreeLibrary(dialogs);
  if (!chosen) return false;
  *path = file;
  return true;
}

FolderChoice Win32WindowSystem::BrowseForFolder(WindowHandle owner, const std::string& title,
                                          std::string* path) {
  IMalloc* allocator = nullptr;
  if (CoGetMalloc(1, &allocator) != S_OK || allocator == nullptr) return FolderChoice::NoAllocator;
  char* displayName = static_cast<char*>(allocator->Alloc(MAX_PATH + 1));
  if (displayName == nullptr) {
    allocator->Release();
    return FolderChoice::OutOfMemory;
  }
  BROWSEINFOA browse = {};
  browse.hwndOwner = ToWindow(owner);
  browse.pszDisplayName = displayName;
  browse.lpszTitle = title.c_str();
  LPITEMIDLIST folder = SHBrowseForFolderA(&browse);
  FolderChoice choice = FolderChoice::Cancelled;
  if (folder != nullptr) {
    char chosen[MAX_PATH + 1] = "";
    // A place without a path (My Computer, a printer) gives nothing to fill in.
    if (SHGetPathFromIDListA(folder, chosen) && chosen[0] != '\0') {
      *path = chosen;
      choice = FolderChoice::Chosen;
    }
    allocator->Free(folder);
  }
  allocator->Free(displayName);
  allocator->Release();
  return choice;
}

void Win32WindowSystem::ShowHelpContents(WindowHandle window, const std::string& helpFile) {
  WinHelpA(ToWindow(window), helpFile.c_str(), HELP_FINDER, 0);
}

void Win32WindowSystem::ShowContextHelp(WindowHandle item, const std::string& helpFile,
                                  const std::uint32_t* table) {
  WinHelpA(ToWindow(item), helpFile.c_str(), HELP_WM_HELP, reinterpret_cast<ULONG_PTR>(table));
}

void Win32WindowSystem::ShellOpen(const std::string& address) {
  ShellExecuteA(GetDesktopWindow(), "open", address.c_str(), nullptr, nullptr, 0);
}

bool Win32WindowSystem::StartWorker(int (*procedure)()) {
  DWORD id = 0;
  HANDLE thread = CreateThread(nullptr, 0, RunWorker, reinterpret_cast<LPVOID>(procedure), 0, &id);
  if (thread == nullptr) return false;
  // The run stops cooperatively, so the handle is not needed to end it.
  CloseHandle(thread);
  return true;
}

}  // namespace parcelo
