// The join file as parcelo95 join reads it: only the lines the splitter writes, every name
// a plain file name of the join file's own folder.
#pragma once

#include <string>
#include <vector>

namespace parcelo {

struct JoinStep {
  enum Kind { Echo, Copy, Delete, Rename };
  Kind kind = Echo;
  std::string text;                  // Echo: what follows "ECHO."
  std::vector<std::string> sources;  // Copy: the pieces, in order
  bool wildcard = false;             // Delete: name is the base of BASE.??_, else the file
  std::string name;                  // Copy: the target; Delete: the base of BASE.??_;
                                     // Rename: the old name
  std::string newName;               // Rename
};

// The steps of a join file, or false with *problem saying which line is refused and why.
bool ParseJoinScript(const std::string& text, std::vector<JoinStep>* steps,
                     std::string* problem);

// The pieces the steps read, in order: every COPY source that no earlier step made.
std::vector<std::string> JoinPieces(const std::vector<JoinStep>& steps);

// True when name matches BASE.??_ (without case), the DEL line's intermediate files.
bool MatchesIntermediate(const std::string& name, const std::string& base);

}  // namespace parcelo
