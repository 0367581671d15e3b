// 8.3 alternate names as a FAT disk makes them, for hosts whose file systems have none.
// A FAT volume keeps them in an OEM code page: what the page holds stays (in its capitals),
// what it does not becomes "_". Names and aliases are in the host's encoding.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/posix/oem_code_page.h"

namespace parcelo {

// True for a name that is already a valid upper-case 8.3 name (README, BACKUP.ZIP, ÄRGER.DOC)
// in the code page.
bool IsShortName(const std::string& name, const OemCodePage& page);

// The alias of every name in one folder that needs one, keyed by the name. Names are taken
// in byte order; each alias gets the lowest "~N" that no other name or alias in the folder
// holds, with or without its extension, so the result depends only on the folder's names.
std::map<std::string, std::string> AssignShortNames(std::vector<std::string> names,
                                                    const OemCodePage& page);

}  // namespace parcelo
