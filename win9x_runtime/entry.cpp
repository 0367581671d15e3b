// The programs' entry point in place of the C runtime's: constructors of static objects,
// WinMain with the command line after the program's name, the exit list, ExitProcess.
#include <windows.h>

#include "exit_list.h"

extern "C" {
// Laid out by the linker: -1, then the functions, then 0 (see the MinGW ld scripts).
using ListedFunction = void (*)();
extern ListedFunction __CTOR_LIST__[];
extern ListedFunction __DTOR_LIST__[];
int atexit(void (*function)());
}

namespace win9x_runtime {
namespace {

// The .ctors sections hold later constructors first (priorities sort backwards), so the
// list runs from its end, as GCC's own __do_global_ctors does.
void RunConstructors() {
  int count = 0;
  while (__CTOR_LIST__[count + 1] != nullptr) ++count;
  for (int i = count; i >= 1; --i) __CTOR_LIST__[i]();
}

void RunDestructorList() {
  for (int i = 1; __DTOR_LIST__[i] != nullptr; ++i) __DTOR_LIST__[i]();
}

// What follows the program's name, as the C runtime hands it to WinMain: the name ends at
// the first blank outside double quotes, and the blanks after it are skipped.
char* CommandTail(char* line) {
  auto* at = reinterpret_cast<unsigned char*>(line);
  bool quoted = false;
  while (*at > ' ' || (*at != 0 && quoted)) {
    if (*at == '"') quoted = !quoted;
    ++at;
  }
  while (*at != 0 && *at <= ' ') ++at;
  return reinterpret_cast<char*>(at);
}

}  // namespace
}  // namespace win9x_runtime

// Windows calls this with whatever stack alignment it likes; GCC's code may want 16 bytes.
#if defined(__i386__)
#define WIN9X_ALIGNS_STACK __attribute__((force_align_arg_pointer))
#else
#define WIN9X_ALIGNS_STACK
#endif

extern "C" [[noreturn]] WIN9X_ALIGNS_STACK void WinMainCRTStartup() {
  using namespace win9x_runtime;
  RunConstructors();
  // Registered first, so it runs last, after every static object's destructor.
  atexit(&RunDestructorList);

  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  const int show = (startup.dwFlags & STARTF_USESHOWWINDOW) != 0 ? startup.wShowWindow
                                                                  : SW_SHOWDEFAULT;
  const int code = WinMain(GetModuleHandleA(nullptr), nullptr, CommandTail(GetCommandLineA()),
                           show);
  RunExitList();
  ExitProcess(static_cast<UINT>(code));
}
