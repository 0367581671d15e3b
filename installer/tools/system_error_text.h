// The system's own words for an error code that the installer's System reported.
#pragma once

#include <cstdint>
#include <string>

namespace qinstall {

// "Access is denied", "No such file or directory": no final full stop or line break.
std::string SystemErrorText(std::uint32_t code);

}  // namespace qinstall
