// Where the C++ library would throw, for a condition the programs never mean to meet (a
// length beyond max_size, a position past the end), there is no exception to throw: show
// what happened and end the program.
#include <bits/functexcept.h>

#include <cstdarg>
#include <cstddef>

#include "fatal.h"

namespace {

class Message {
 public:
  void Add(const char* text) {
    while (*text != '\0') Add(*text++);
  }
  void Add(char c) {
    if (length_ < sizeof text_ - 1) text_[length_++] = c;
  }
  void AddNumber(std::size_t value) {
    char digits[24];
    int count = 0;
    do {
      digits[count++] = static_cast<char>('0' + value % 10);
      value /= 10;
    } while (value != 0);
    while (count > 0) Add(digits[--count]);
  }
  const char* Text() { return text_[length_] = '\0', text_; }

 private:
  char text_[300] = {};
  std::size_t length_ = 0;
};

[[noreturn]] void InternalError(const char* what) {
  Message message;
  message.Add("Internal error: ");
  message.Add(what);
  win9x_runtime::FatalError(message.Text());
}

}  // namespace

namespace std {

void __throw_bad_alloc() { win9x_runtime::OutOfMemory(); }
void __throw_bad_array_new_length() { win9x_runtime::OutOfMemory(); }
void __throw_length_error(const char* what) { InternalError(what); }
void __throw_logic_error(const char* what) { InternalError(what); }
void __throw_out_of_range(const char* what) { InternalError(what); }
// The library's formats hold only %s, %zu and %%.
void __throw_out_of_range_fmt(const char* format, ...) {
  Message message;
  message.Add("Internal error: ");
  va_list arguments;
  va_start(arguments, format);
  for (const char* at = format; *at != '\0'; ++at) {
    if (at[0] == '%' && at[1] == 's') {
      message.Add(va_arg(arguments, const char*));
      ++at;
    } else if (at[0] == '%' && at[1] == 'z' && at[2] == 'u') {
      message.AddNumber(va_arg(arguments, std::size_t));
      at += 2;
    } else if (at[0] == '%' && at[1] == '%') {
      message.Add('%');
      ++at;
    } else {
      message.Add(*at);
    }
  }
  va_end(arguments);
  win9x_runtime::FatalError(message.Text());
}
void __throw_invalid_argument(const char* what) { InternalError(what); }
void __throw_bad_function_call() { InternalError("bad function call"); }

}  // namespace std

extern "C" void __cxa_pure_virtual() { InternalError("pure virtual function called"); }
