// 8.3 alternate names as a FAT disk makes them, for hosts whose file systems have none.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace parcelo {

// True for a name that is already a valid upper-case 8.3 name (README, BACKUP.ZIP).
bool IsShortName(const std::string& name);

// The alias of every name in one folder that needs one, keyed by the name. Names are taken
// in byte order; each alias gets the lowest "~N" that no other name or alias in the folder
// holds, with or without its extension, so the result depends only on the folder's names.
std::map<std::string, std::string> AssignShortNames(std::vector<std::string> names);

}  // namespace parcelo
