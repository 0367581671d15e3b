// The checks of a split request, in the main dialog's order and with its texts, for every
// front end: the first that fails is the refusal.
#pragma once

#include <cstdint>
#include <string>

#include "platform/system.h"

namespace parcelo {

// A request as a front end hands it over: DOS paths, the size it read and the count of
// pieces it showed for the source (0 when it had none).
struct SplitRequest {
  std::string source;
  std::string destination;  // empty: the source's folder
  int spanToDisk = 0;
  std::uint32_t pieceSize = 0;
  bool pieceSizeTooBig = false;
  std::uint64_t pieceCount = 0;
};

// How the checks came out. Not accepted with no refusal: the user answered No.
struct RequestVerdict {
  bool accepted = false;
  std::string refusal;
  std::string destination;  // the default filled in
  FoundFile source;
};

// What a front end adds at fixed points of the checks. The defaults are the main dialog's:
// a name means what the System resolves it to.
class RequestChecks {
 public:
  // Before the destination's drive is looked at; a text refuses the request.
  virtual std::string DestinationProblem() { return {}; }
  // The drive type that decides the removable warning. An empty root is the current drive's.
  virtual DriveType WarningDriveType(const std::string& root) { return Files().DriveTypeOf(root); }
  // The source looked up: a refusal, or "" with *found filled.
  virtual std::string LookUpSource(const std::string& path, FoundFile* found);
  // The destination looked up; false when nothing is there.
  virtual bool LookUpDestination(const std::string& path, FoundFile* found) {
    return Files().FindFile(path, found);
  }
  // The source's folder became the destination.
  virtual void DestinationDefaulted(const std::string& folder) {}
  // Whether a source of 4 GB or more is refused: the Windows 95 family has no such file.
  virtual bool RefusesFourGigabytes() { return true; }
  // Whether the source's size is known before the run (a pipe's is known at its end).
  virtual bool SourceSizeKnown() { return true; }

 protected:
  ~RequestChecks() = default;
};

// Every check of the request; the one question (the removable warning) is owned by owner.
RequestVerdict CheckSplitRequest(const SplitRequest& request, WindowHandle owner,
                                 RequestChecks& checks);

// The folder of path, as the default destination: "" without a '\'.
std::string FolderOfPath(const std::string& path);

// Asks before a run of 100 pieces or more; true to go on.
bool ConfirmPieceCount(WindowHandle owner, std::uint32_t pieceCount);

}  // namespace parcelo
