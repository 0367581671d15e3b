// Where and why a data file failed to load, for qsdtool and the fuzz targets; the
// installer itself only looks at success.
#pragma once

#include <cstdint>
#include <string>

namespace qinstall {

struct LoadReport {
  std::uint32_t fieldOffset = 0;  // where the field that failed begins
  std::uint32_t offset = 0;       // bytes read when it stopped; after a load, all it used
  std::string field;              // e.g. "shortcuts[2].iconLocation"; empty if never opened
  std::string reason;
  std::uint32_t systemError = 0;  // the system's code when a call failed, for its words
  bool outOfMemory = false;
};

}  // namespace qinstall
