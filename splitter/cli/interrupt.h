// Interrupts (Ctrl-C, SIGINT, SIGTERM, SIGHUP) of a command that must take back what it
// made before it ends.
#pragma once

namespace parcelo {

// From here on an interrupt only marks itself, unless it was ignored when the program
// started (a background job of a shell without job control). A write or open blocked on a
// pipe, a FIFO or a terminal then returns early. A second interrupt ends the program at once.
void CatchInterrupts();

// The signal that came, or 0.
int PendingInterrupt();

// Ends the program as that signal would have ended it (a shell sees 128 + signal).
[[noreturn]] void EndByInterrupt(int signal);

}  // namespace parcelo
