#include "fatal.h"

#include <windows.h>

namespace win9x_runtime {

void FatalError(const char* text) {
  MessageBoxA(nullptr, text, "Error", MB_OK | MB_ICONERROR | MB_TASKMODAL);
  ExitProcess(3);
}

void OutOfMemory() { FatalError("Out of memory."); }

}  // namespace win9x_runtime
