// malloc, free and the operators new and delete, all on the process heap. A failed plain
// new has no exception to throw: it ends the program with "Out of memory.". Where the
// programs have an answer of their own for a failed allocation, they ask malloc, the nothrow
// new or the System, which return null instead.
#include <windows.h>

#include <cstddef>
#include <new>

#include "fatal.h"

extern "C" void* malloc(std::size_t bytes) { return HeapAlloc(GetProcessHeap(), 0, bytes); }

extern "C" void free(void* memory) {
  if (memory != nullptr) HeapFree(GetProcessHeap(), 0, memory);
}

// The tag that picks the nothrow forms; libstdc++ would define it.
const std::nothrow_t std::nothrow{};

namespace {

void* MustAllocate(std::size_t bytes) {
  void* memory = malloc(bytes);
  if (memory == nullptr) win9x_runtime::OutOfMemory();
  return memory;
}

}  // namespace

void* operator new(std::size_t bytes) { return MustAllocate(bytes); }
void* operator new[](std::size_t bytes) { return MustAllocate(bytes); }
void* operator new(std::size_t bytes, const std::nothrow_t&) noexcept { return malloc(bytes); }
void* operator new[](std::size_t bytes, const std::nothrow_t&) noexcept { return malloc(bytes); }

void operator delete(void* memory) noexcept { free(memory); }
void operator delete[](void* memory) noexcept { free(memory); }
void operator delete(void* memory, std::size_t) noexcept { free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { free(memory); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { free(memory); }
void operator delete[](void* memory, const std::nothrow_t&) noexcept { free(memory); }
