#include "exit_list.h"

namespace win9x_runtime {
namespace {

// C guarantees room for 32; the programs register a handful. A fixed table needs no heap.
constexpr int kMostEntries = 64;

struct ExitEntry {
  void (*withArgument)(void*);
  void (*plain)();
  void* argument;
};

ExitEntry entries[kMostEntries];
int entryCount = 0;

int Register(const ExitEntry& entry) {
  if (entryCount == kMostEntries) return -1;
  entries[entryCount++] = entry;
  return 0;
}

}  // namespace

void RunExitList() {
  // A handler may register another; it runs next.
  while (entryCount > 0) {
    const ExitEntry entry = entries[--entryCount];
    if (entry.plain != nullptr) {
      entry.plain();
    } else {
      entry.withArgument(entry.argument);
    }
  }
}

}  // namespace win9x_runtime

extern "C" int atexit(void (*function)()) {
  return win9x_runtime::Register({nullptr, function, nullptr});
}

extern "C" int __cxa_atexit(void (*function)(void*), void* argument, void*) {
  return win9x_runtime::Register({function, nullptr, argument});
}
