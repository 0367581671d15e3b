// Splitting an icon path into the file and the icon index after its last comma.
#pragma once

#include <cstdint>
#include <string>

namespace qinstall {

// Looks for the last comma from the next-to-last character down to the second; when found,
// reads the decimal text after it (leading blanks and one sign allowed, up to the first
// non-digit, none gives 0) as the index, kept modulo 65536, and cuts the path there.
// Otherwise the index is 0 and the path stays whole.
std::uint16_t SplitIconIndex(std::string* iconPath);

}  // namespace qinstall
