#include <windows.h>

#include <csignal>

#include "cli/interrupt.h"

namespace parcelo {
namespace {

volatile LONG pending = 0;

// Runs on a thread of its own: it only marks the interrupt, which the command sees at its
// next step. A second one is left to the system, which ends the program.
BOOL WINAPI Mark(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  return InterlockedExchange(&pending, SIGINT) == 0 ? TRUE : FALSE;
}

}  // namespace

void CatchInterrupts() { SetConsoleCtrlHandler(Mark, TRUE); }

int PendingInterrupt() { return static_cast<int>(pending); }

// As Windows ends a console program on Ctrl-C.
void EndByInterrupt(int) { ExitProcess(STATUS_CONTROL_C_EXIT); }

}  // namespace parcelo
