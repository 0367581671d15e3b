// The path rules of the install dialog: how a default destination is shown, and what the
// two folder browsers put into their fields.
#pragma once

#include <string>

namespace qinstall {

// The field text for a default destination: a leading "%windows%" becomes the Windows
// folder, else a leading "%program files%" becomes "C:\Program Files" (case-blind, only at
// the very start, only the first that matches). Asks for the Windows folder only when it
// is needed.
std::string ExpandDestination(const std::string& folder);

// A chosen destination folder with the product as its last level; a drive root already
// ends in its backslash.
std::string DestinationWithProduct(const std::string& chosen, const std::string& productName);

// A folder chosen below the Programs folder, made relative to the Windows folder's
// "Start Menu" folder, then the product as its last level. A folder elsewhere on the same
// drive (a Start Menu of its own per user) is reached through ".." levels; one on another
// drive cannot be, and gives an empty text.
std::string StartMenuWithProduct(const std::string& chosen, const std::string& windowsFolder,
                                 const std::string& productName);

}  // namespace qinstall
