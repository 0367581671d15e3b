#include <unistd.h>

#include <csignal>
#include <initializer_list>

#include "cli/interrupt.h"

namespace parcelo {
namespace {

volatile std::sig_atomic_t pending = 0;

void Mark(int signal) { pending = signal; }

}  // namespace

void CatchInterrupts() {
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction old = {};
    if (sigaction(signal, nullptr, &old) != 0 || old.sa_handler == SIG_IGN) continue;
    struct sigaction action = {};
    action.sa_handler = Mark;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART, so that a blocked call returns; SA_RESETHAND, so that a second one
    // is not held up by the clean-up.
    action.sa_flags = SA_RESETHAND;
    sigaction(signal, &action, nullptr);
  }
}

int PendingInterrupt() { return pending; }

void EndByInterrupt(int signal) {
  struct sigaction action = {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  sigaction(signal, &action, nullptr);
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, signal);
  sigprocmask(SIG_UNBLOCK, &set, nullptr);
  raise(signal);
  _exit(128 + signal);
}

}  // namespace parcelo
