#include "engine/request_checks.h"

#include "engine/piece_name.h"
#include "engine/split_messages.h"
#include "engine/split_size.h"
#include "engine/text_format.h"

namespace parcelo {
namespace {

bool IsRoot(const std::string& path) { return path.size() <= 3; }

RequestVerdict Refused(std::string text) {
  RequestVerdict verdict;
  verdict.refusal = std::move(text);
  return verdict;
}

}  // namespace

std::string RequestChecks::LookUpSource(const std::string& path, FoundFile* found) {
  return Files().FindFile(path, found) ? std::string() : std::string(kTextSourceNotFound);
}

std::string FolderOfPath(const std::string& path) {
  const std::size_t slash = path.rfind('\\');
  if (slash == std::string::npos) return {};
  std::string folder = path.substr(0, slash);
  if (folder.size() < 3) folder += '\\';
  return folder;
}

RequestVerdict CheckSplitRequest(const SplitRequest& request, WindowHandle owner,
                                 RequestChecks& checks) {
  const bool span = request.spanToDisk != 0;
  // A size that the engine cannot take never reaches it.
  if (!span && request.pieceSizeTooBig) return Refused(kTextSplitSizeTooBig);
  if (!span && request.pieceSize == 0) return Refused(kTextSplitSizeZero);
  if (!span && request.pieceCount == 1) return Refused(kTextOnePiece);
  if (!span && request.pieceCount > 1000) return Refused(kTextTooManyPieces);

  std::string destination = request.destination;
  if (std::string problem = checks.DestinationProblem(); !problem.empty()) return Refused(problem);
  if (span) {
    if (!IsRoot(destination)) return Refused(kTextSpanToFolder);
    if (Files().DriveTypeOf(destination) != DriveType::Removable) {
      return Refused(kTextSpanNotRemovable);
    }
  } else if (checks.WarningDriveType(destination.substr(0, 3)) == DriveType::Removable &&
             Windows().ShowMessageBox(owner, kTextRemovableWarning, kCaptionWarning,
                                  kMbIconWarning | kMbYesNo) != kIdYes) {
    return {};
  }

  RequestVerdict verdict;
  FoundFile& found = verdict.source;
  if (std::string problem = checks.LookUpSource(request.source, &found); !problem.empty()) {
    return Refused(problem);
  }
  // Such a name opens the device, not the file; its pieces and join file would too.
  for (const std::string& name : {LastComponent(request.source), found.name}) {
    if (IsDosDeviceName(name)) return Refused(Format(kTextSourceNameIsDevice, name.c_str()));
  }

  if (destination.empty() && request.source.size() > 1 && request.source[1] == ':' && !span) {
    destination = FolderOfPath(request.source);
    if (!destination.empty()) checks.DestinationDefaulted(destination);
  }
  if (!span && !destination.empty()) {
    FoundFile target;
    if (!checks.LookUpDestination(destination, &target)) {
      if (!IsRoot(destination)) return Refused(kTextDestinationFolderNotFound);
      if (Files().DriveTypeOf(destination) == DriveType::NoRootDir) {
        return Refused(kTextDestinationDriveNotFound);
      }
    } else if (!IsRoot(destination) && !target.isDirectory) {
      return Refused(kTextDestinationNotFolder);
    }
  }

  if (checks.RefusesFourGigabytes() && found.size >= kFourGigabytes) {
    return Refused(kTextSourceTooLarge);
  }
  if (checks.SourceSizeKnown() && found.size < request.pieceSize) {
    return Refused(kTextSizeOverSource);
  }
  verdict.accepted = true;
  verdict.destination = destination;
  return verdict;
}

bool ConfirmPieceCount(WindowHandle owner, std::uint32_t pieceCount) {
  return pieceCount < 100 ||
         Windows().ShowMessageBox(owner, Format(kTextManyPieces, static_cast<int>(pieceCount)),
                              kCaptionWarning, kMbIconWarning | kMbYesNo) == kIdYes;
}

}  // namespace parcelo
