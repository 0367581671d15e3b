// printf-style formatting into a std::string, for the message texts. Knows what the texts
// use and a little more: %d %i %u (with l or ll), %s, %c, %f, %%, the flags '-' and '0',
// a width and a precision. Done here rather than by the C library, which the Windows
// program does not link; %f is exact and rounds half to even, as printf does.
#pragma once

#include <string>

namespace parcelo {

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace parcelo
