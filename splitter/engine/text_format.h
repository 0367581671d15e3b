// printf-style formatting into a std::string, for the message texts built with "%s" and "%d".
#pragma once

#include <string>

namespace parcelo {

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace parcelo
