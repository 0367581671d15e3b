// What a join file met in a destination folder says: the pieces its COPY lines read and the
// long name its REN line gives back. Read so that a run knows whose pieces it would write
// over.
#pragma once

#include <string>
#include <vector>

namespace parcelo {

struct JoinFileNames {
  // Every file a COPY line reads, once, in capitals, OEM bytes. A vector: the GUI program
  // links no library code for trees.
  std::vector<std::string> pieces;
  std::string rebuilds;          // what the last COPY line writes, OEM bytes
  bool renames = false;
  std::string longName;  // the REN line's new name, OEM bytes, when renames
};

// True for the names join files have: Join.bat, Join-<name>.bat, in any case.
bool IsJoinFileName(const std::string& name);

// The names in the join file's text (OEM bytes, as the splitter writes it).
JoinFileNames ParseJoinFileNames(const std::string& text);

// The join file at path read through the System; false when it cannot be read as a whole.
bool ReadJoinFileNames(const std::string& path, JoinFileNames* names);

}  // namespace parcelo
