// Where the C++ library would throw, for a condition the programs never mean to meet (a
// length beyond max_size, a position past the end), there is no exception to throw: show
// what happened and end the program.
#include <bits/functexcept.h>

#include "fatal.h"

namespace {

[[noreturn]] void InternalError(const char* what) {
  char text[200] = "Internal error: ";
  char* at = text;
  while (*at != '\0') ++at;
  for (char* end = text + sizeof text - 1; *what != '\0' && at < end; ++what) *at++ = *what;
  *at = '\0';
  win9x_runtime::FatalError(text);
}

}  // namespace

namespace std {

void __throw_bad_alloc() { win9x_runtime::OutOfMemory(); }
void __throw_bad_array_new_length() { win9x_runtime::OutOfMemory(); }
void __throw_length_error(const char* what) { InternalError(what); }
void __throw_logic_error(const char* what) { InternalError(what); }
void __throw_out_of_range(const char* what) { InternalError(what); }
// The format's own text says which check failed; its numbers are left out.
void __throw_out_of_range_fmt(const char* format, ...) { InternalError(format); }
void __throw_invalid_argument(const char* what) { InternalError(what); }
void __throw_bad_function_call() { InternalError("bad function call"); }

}  // namespace std

extern "C" void __cxa_pure_virtual() { InternalError("pure virtual function called"); }
