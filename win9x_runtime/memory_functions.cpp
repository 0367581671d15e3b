// The memory and string functions that the compiler and the library headers call. Built
// with -fno-tree-loop-distribute-patterns, or GCC would turn these loops into calls to
// themselves.
#include <cstddef>

extern "C" {

void* memcpy(void* target, const void* source, std::size_t count) {
  auto* to = static_cast<unsigned char*>(target);
  const auto* from = static_cast<const unsigned char*>(source);
  while (count-- != 0) *to++ = *from++;
  return target;
}

void* memmove(void* target, const void* source, std::size_t count) {
  auto* to = static_cast<unsigned char*>(target);
  const auto* from = static_cast<const unsigned char*>(source);
  if (to < from) {
    while (count-- != 0) *to++ = *from++;
  } else {
    while (count != 0) {
      --count;
      to[count] = from[count];
    }
  }
  return target;
}

void* memset(void* target, int value, std::size_t count) {
  auto* to = static_cast<unsigned char*>(target);
  while (count-- != 0) *to++ = static_cast<unsigned char>(value);
  return target;
}

int memcmp(const void* first, const void* second, std::size_t count) {
  const auto* a = static_cast<const unsigned char*>(first);
  const auto* b = static_cast<const unsigned char*>(second);
  for (; count != 0; --count, ++a, ++b) {
    if (*a != *b) return *a < *b ? -1 : 1;
  }
  return 0;
}

void* memchr(const void* memory, int value, std::size_t count) {
  const auto* at = static_cast<const unsigned char*>(memory);
  for (; count != 0; --count, ++at) {
    if (*at == static_cast<unsigned char>(value)) return const_cast<unsigned char*>(at);
  }
  return nullptr;
}

std::size_t strlen(const char* text) {
  const char* end = text;
  while (*end != '\0') ++end;
  return static_cast<std::size_t>(end - text);
}

}  // extern "C"
