// The Win32 System's folder browser, shell links and worker thread.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include "platform/win32/win32_window_system.h"

namespace qinstall {
namespace {

DWORD WINAPI RunWorker(LPVOID procedure) {
  reinterpret_cast<void (*)()>(procedure)();
  return 0;
}

// The shell link object, from CoInitialize to CoUninitialize on the calling thread.
bool SaveLink(const ShellLink& link) {
  const HRESULT initialised = CoInitialize(nullptr);
  bool saved = false;
  IShellLinkA* shellLink = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                 reinterpret_cast<void**>(&shellLink)))) {
    shellLink->SetPath(link.target.c_str());
    shellLink->SetDescription(link.description.c_str());
    if (!link.arguments.empty()) shellLink->SetArguments(link.arguments.c_str());
    if (!link.iconPath.empty()) shellLink->SetIconLocation(link.iconPath.c_str(), link.iconIndex);
    if (!link.workingFolder.empty()) shellLink->SetWorkingDirectory(link.workingFolder.c_str());
    IPersistFile* persistFile = nullptr;
    if (SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile,
                                            reinterpret_cast<void**>(&persistFile)))) {
      WCHAR wide[MAX_PATH];
      if (MultiByteToWideChar(CP_ACP, 0, link.linkFile.c_str(), -1, wide, MAX_PATH) != 0) {
        saved = persistFile->Save(wide, TRUE) == S_OK;
      }
      persistFile->Release();
    }
    shellLink->Release();
  }
  if (SUCCEEDED(initialised)) CoUninitialize();
  return saved;
}

}  // namespace

FolderChoice Win32WindowSystem::BrowseForFolder(WindowHandle owner, const std::string& title,
                                                BrowseRoot root, std::string* path) {
  IMalloc* allocator = nullptr;
  if (CoGetMalloc(1, &allocator) != S_OK || allocator == nullptr) return FolderChoice::NoAllocator;
  char* displayName = static_cast<char*>(allocator->Alloc(MAX_PATH));
  if (displayName == nullptr) {
    allocator->Release();
    return FolderChoice::OutOfMemory;
  }
  LPITEMIDLIST rootItems = nullptr;
  if (root == BrowseRoot::Programs &&
      (SHGetSpecialFolderLocation(static_cast<HWND>(owner), CSIDL_PROGRAMS, &rootItems) != S_OK ||
       rootItems == nullptr)) {
    allocator->Free(displayName);
    allocator->Release();
    return FolderChoice::NoRoot;
  }

  BROWSEINFOA browse = {};
  browse.hwndOwner = static_cast<HWND>(owner);
  browse.pidlRoot = rootItems;
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
  if (rootItems != nullptr) allocator->Free(rootItems);
  allocator->Free(displayName);
  allocator->Release();
  return choice;
}

bool Win32WindowSystem::SaveShellLink(const ShellLink& link) { return SaveLink(link); }

bool Win32WindowSystem::StartWorker(void (*procedure)()) {
  DWORD id = 0;
  HANDLE thread =
      CreateThread(nullptr, 0, RunWorker, reinterpret_cast<LPVOID>(procedure), 0, &id);
  if (thread == nullptr) return false;
  // The run ends through the worker's own close, so the handle is not needed.
  CloseHandle(thread);
  return true;
}

}  // namespace qinstall
