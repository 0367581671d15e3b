// Memory for the package's lists comes from the System, so that a failed allocation can be
// met (and tested) as the installer's "Out of memory." case. No exception is involved: the
// GUI programs are built without them.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <new>
#include <vector>

#include "platform/system.h"

namespace qinstall {

template <typename T>
struct SystemAllocator {
  using value_type = T;

  SystemAllocator() = default;
  template <typename U>
  SystemAllocator(const SystemAllocator<U>&) {}

  T* allocate(std::size_t count) {
    if (granted != nullptr && grantedCount == count) {
      T* memory = granted;
      granted = nullptr;
      return memory;
    }
    void* memory = count > static_cast<std::size_t>(-1) / sizeof(T)
                       ? nullptr
                       : Files().AllocateMemory(count * sizeof(T));
    // The library's own hook: it throws std::bad_alloc where there are exceptions (the
    // command-line tools); the GUI programs' runtime shows "Out of memory." and ends.
    if (memory == nullptr) std::__throw_bad_alloc();
    return static_cast<T*>(memory);
  }
  void deallocate(T* memory, std::size_t) { std::free(memory); }

  template <typename U>
  bool operator==(const SystemAllocator<U>&) const { return true; }
  template <typename U>
  bool operator!=(const SystemAllocator<U>&) const { return false; }

  // A block that AllocateSlots has already had from the System, for the list's next
  // allocation of exactly that many slots. Lists are filled on one thread only.
  static inline T* granted = nullptr;
  static inline std::size_t grantedCount = 0;
};

template <typename T>
using List = std::vector<T, SystemAllocator<T>>;

// Gives an empty list count zeroed slots. Returns 0, with the list still empty, when the
// memory cannot be had. The System is asked for the block first, so that a refusal is an
// answer here; the list then takes that block as its one allocation.
template <typename T>
int AllocateSlots(List<T>& list, std::size_t count) {
  if (count == 0) return 1;
  if (count > static_cast<std::size_t>(-1) / sizeof(T)) return 0;
  void* memory = Files().AllocateMemory(count * sizeof(T));
  if (memory == nullptr) return 0;
  SystemAllocator<T>::granted = static_cast<T*>(memory);
  SystemAllocator<T>::grantedCount = count;
  list.resize(count);
  // Unused only when the list was not empty after all.
  if (SystemAllocator<T>::granted != nullptr) {
    std::free(SystemAllocator<T>::granted);
    SystemAllocator<T>::granted = nullptr;
  }
  return 1;
}

// Empties a list and gives its memory back.
template <typename T>
void ReleaseList(List<T>& list) {
  List<T>().swap(list);
}

}  // namespace qinstall
