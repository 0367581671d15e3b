// libgcc's thread mutexes make their semaphore with CreateSemaphoreW, a stub on the Windows 95
// family that fails and sets ERROR_CALL_NOT_IMPLEMENTED. A single thread never waits on it,
// but the stub's error code may take the place of the one a failed file call left for its
// message, and a second thread would find no semaphore. The call goes to CreateSemaphoreA.
#if defined(__i386__)
#include <windows.h>

namespace {

HANDLE WINAPI CreateSemaphoreWOverA(SECURITY_ATTRIBUTES* attributes, LONG initial, LONG maximum,
                                    const WCHAR* name) {
  if (name == nullptr) return CreateSemaphoreA(attributes, initial, maximum, nullptr);
  char ansi[MAX_PATH];  // the longest name a semaphore may have
  if (WideCharToMultiByte(CP_ACP, 0, name, -1, ansi, sizeof ansi, nullptr, nullptr) == 0) {
    return nullptr;
  }
  return CreateSemaphoreA(attributes, initial, maximum, ansi);
}

}  // namespace

// The import slot that callers compiled against kernel32.dll's CreateSemaphoreW jump through.
HANDLE(WINAPI* createSemaphoreWSlot)(SECURITY_ATTRIBUTES*, LONG, LONG, const WCHAR*) __asm__(
    "__imp__CreateSemaphoreW@16") = CreateSemaphoreWOverA;
#endif
