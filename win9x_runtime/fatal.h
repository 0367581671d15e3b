// The runtime's last word: a message box, then the process ends at once.
#pragma once

namespace win9x_runtime {

// Shows text in a message box and ends the process with exit code 3, running no exit
// handlers: whatever state the program is in cannot be trusted to tidy up.
[[noreturn]] void FatalError(const char* text);

// What a failed allocation that the program has no answer for comes to.
[[noreturn]] void OutOfMemory();

}  // namespace win9x_runtime
