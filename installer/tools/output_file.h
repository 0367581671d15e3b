// Writing qsdtool's one output file so that a failure never costs the user a file: the
// bytes go to a new file in the same folder, which then takes the output's name.
#pragma once

#include <string>

namespace qinstall {

// Writes bytes to path. Path must name a regular file or nothing yet; anything else (a
// folder, a FIFO, a device, a symbolic link) is refused without being opened, so the call
// never waits. On failure path is as it was, the temporary file is gone, and *why says
// what happened ("PATH: a FIFO, not a file", "cannot write PATH: No space left on device").
bool WriteOutputFile(const std::string& path, const std::string& bytes, std::string* why);

}  // namespace qinstall
