// Whether a thread stays itself when another thread suspends it, as Windows promises and as
// the dialogs' suites need: Wine stops a running thread with a signal, and an emulator that
// gives the thread back another thread's segment base after the signal hands it that
// thread's TEB. Prints "same thread after N suspensions" and exits 0, or says what changed
// and exits 1.
#include <windows.h>

#include <cstdio>

namespace {

const int kSuspensions = 50;
volatile LONG stop = 0;
volatile LONG changed = 0;
DWORD spinnerId = 0;

// Counts while it runs, so that every suspension meets it outside a wait.
DWORD WINAPI Spin(void*) {
  volatile unsigned counter = 0;
  while (!stop) {
    ++counter;
    if (GetCurrentThreadId() != spinnerId) InterlockedExchange(&changed, 1);
  }
  return 0;
}

DWORD WINAPI EndAtOnce(void*) { return 0; }

}  // namespace

int main() {
  // The spinning thread is created before the one that suspends it, so that it is not the
  // newest thread, whose segment base a shared table would hand out.
  HANDLE spinner = CreateThread(nullptr, 0, Spin, nullptr, CREATE_SUSPENDED, &spinnerId);
  DWORD newestId = 0;
  HANDLE newest = CreateThread(nullptr, 0, EndAtOnce, nullptr, 0, &newestId);
  if (!spinner || !newest) {
    std::printf("CreateThread failed: %lu\n", GetLastError());
    return 1;
  }
  WaitForSingleObject(newest, 10000);
  ResumeThread(spinner);
  for (int i = 0; i < kSuspensions && !changed; ++i) {
    Sleep(10);
    if (SuspendThread(spinner) == static_cast<DWORD>(-1)) {
      std::printf("SuspendThread failed: %lu\n", GetLastError());
      return 1;
    }
    CONTEXT context = {};
    context.ContextFlags = CONTEXT_CONTROL;
    GetThreadContext(spinner, &context);  // waits until the thread has really stopped
    ResumeThread(spinner);
  }
  Sleep(10);
  InterlockedExchange(&stop, 1);
  if (WaitForSingleObject(spinner, 10000) != WAIT_OBJECT_0) {
    std::printf("the spinning thread did not end\n");
    return 1;
  }
  if (changed) {
    std::printf("after a suspension the thread %lu saw another thread's id\n", spinnerId);
    return 1;
  }
  std::printf("same thread after %d suspensions\n", kSuspensions);
  return 0;
}
