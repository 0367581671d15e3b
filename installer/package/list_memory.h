// Memory for the package's lists comes from the System, so that a failed allocation can be
// met (and tested) as the installer's "Out of memory." case.
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
    if (count > static_cast<std::size_t>(-1) / sizeof(T)) throw std::bad_alloc();
    void* memory = Sys().AllocateMemory(count * sizeof(T));
    if (memory == nullptr) throw std::bad_alloc();
    return static_cast<T*>(memory);
  }
  void deallocate(T* memory, std::size_t) { std::free(memory); }

  template <typename U>
  bool operator==(const SystemAllocator<U>&) const { return true; }
  template <typename U>
  bool operator!=(const SystemAllocator<U>&) const { return false; }
};

template <typename T>
using List = std::vector<T, SystemAllocator<T>>;

// Gives an empty list count zeroed slots. Returns 0, with the list still empty, when the
// memory cannot be had.
template <typename T>
int AllocateSlots(List<T>& list, std::size_t count) {
  try {
    list.resize(count);
    return 1;
  } catch (const std::bad_alloc&) {
    List<T>().swap(list);
    return 0;
  }
}

// Empties a list and gives its memory back.
template <typename T>
void ReleaseList(List<T>& list) {
  List<T>().swap(list);
}

}  // namespace qinstall
