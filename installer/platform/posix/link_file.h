// Shell links on POSIX: what the link object would hold, saved as a small text file at the
// link's path so that tests can read it back.
#pragma once

#include <string>

#include "platform/system.h"

namespace qinstall {

// One "Field=value" line per field, in the order of ShellLink.
std::string FormatLinkFile(const ShellLink& link);
// False when the text is not a link file.
bool ParseLinkFile(const std::string& text, ShellLink* link);

}  // namespace qinstall
