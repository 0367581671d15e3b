// The functions registered to run at the end of the program (atexit, and the destructors of
// static objects through __cxa_atexit), run in the reverse order of registration.
#pragma once

namespace win9x_runtime {

void RunExitList();

}  // namespace win9x_runtime
