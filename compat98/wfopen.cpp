// libstdc++'s file buffers can open a file by a wide name through _wfopen, which msvcrt.dll
// exports on Windows 98 but which, like the system's other wide file calls there, is not
// known to work. The call goes to fopen with the name in the ANSI code page; a name that
// has no ANSI spelling is not found rather than taken for another.
#if defined(__i386__)
#include <windows.h>

#include <cerrno>
#include <cstdio>

namespace {

bool ToAnsi(const wchar_t* wide, char* ansi, int size) {
  BOOL lossy = FALSE;
  return WideCharToMultiByte(CP_ACP, 0, wide, -1, ansi, size, nullptr, &lossy) != 0 && !lossy;
}

std::FILE* __cdecl WfopenOverFopen(const wchar_t* name, const wchar_t* mode) {
  char ansiName[MAX_PATH];
  char ansiMode[16];
  if (!ToAnsi(name, ansiName, sizeof ansiName) || !ToAnsi(mode, ansiMode, sizeof ansiMode)) {
    errno = ENOENT;
    return nullptr;
  }
  return std::fopen(ansiName, ansiMode);
}

}  // namespace

// The import slot that callers compiled against msvcrt.dll's _wfopen jump through.
std::FILE*(__cdecl* wfopenSlot)(const wchar_t*, const wchar_t*) __asm__("__imp___wfopen") =
    WfopenOverFopen;
#endif
