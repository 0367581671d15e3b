// parcelo95 split: the main dialog's checks in its order, on the command line's request,
// then the engine's run.
#include <cctype>
#include <cstdio>
#include <memory>

#include "checksums/piece_checksums.h"
#include "cli/commands.h"
#include "cli/console_system.h"
#include "cli/failure_reasons.h"
#include "cli/host.h"
#include "cli/split_recovery.h"
#include "engine/piece_name.h"
#include "engine/split_job.h"
#include "engine/split_messages.h"
#include "engine/split_run.h"
#include "engine/text_format.h"
#include "frontend/app_settings.h"
#include "frontend/frontend_messages.h"
#include "frontend/main_dialog.h"
#include "frontend/main_dialog_state.h"
#include "frontend/settings_store.h"
#include "frontend/split_size.h"

namespace parcelo {
namespace {

int Refuse(const std::string& text) {
  Sys().ShowMessageBox(nullptr, text, kCaptionError, kMbIconError);
  return 1;
}

bool EndsWithNoCase(const std::string& text, const std::string& tail) {
  if (text.size() < tail.size()) return false;
  for (std::size_t i = 0; i < tail.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[text.size() - tail.size() + i])) != tail[i]) {
      return false;
    }
  }
  return true;
}

bool IsRoot(const std::string& path) { return path.size() <= 3; }

// A path on the command line names just that path, as the host resolves it. The System's
// DOS paths would also match a name in another case, or by the 8.3 alias that a POSIX host
// makes up for it, and so reach another file or folder; Windows resolves its own aliases,
// so there a folder reached through one is that folder.
bool HostHas(const std::string& hostPath) {
  return !hostPath.empty() && KindOfPath(hostPath) != PathKind::None;
}

// A host name that no DOS or Windows file may have: its join file would name another file,
// or break a line in two, and parcelo95 join would refuse it.
constexpr char kTextSourceNameNotForDos[] =
    "The source file's name holds a character that DOS and Windows do not allow in a file "
    "name (one of \\ / : * ? \" < > | or a control character). Rename it before splitting.";

// Windows drops dots and blanks from the end of a name: a REN onto it would give back
// another name, or none.
constexpr char kTextSourceNameEndsBadly[] =
    "The source file's name ends in a dot or a blank, which Windows drops from a file name: "
    "its join file could not give the name back. Rename it before splitting.";

// A FIFO or a device has no size to cut by, and reading one may never end.
constexpr char kTextSourceNotRegular[] = "Cannot split %s: it is %s, not a regular file.";

bool IsDosFileName(const std::string& name) {
  for (unsigned char c : name) {
    if (c < 0x20 || c == 0x7F || std::string("\\/:*?\"<>|").find(static_cast<char>(c)) != std::string::npos) {
      return false;
    }
  }
  return true;
}

}  // namespace

const char* SizeArgumentBytes(const std::string& text, unsigned long long* bytes) {
  std::string number = text;
  int unit = kUnitBytes;
  const struct {
    const char* name;
    int unit;
  } units[] = {{"bytes", kUnitBytes}, {"kb", kUnitKB}, {"mb", kUnitMB}};
  for (const auto& candidate : units) {
    if (EndsWithNoCase(number, candidate.name)) {
      number.resize(number.size() - std::string(candidate.name).size());
      unit = candidate.unit;
      break;
    }
  }
  if (const char* problem = SplitSizeTextProblem(number)) return problem;
  *bytes = SplitSizeBytes(number, unit);
  if (*bytes >= kFourGigabytes) return kTextSplitSizeTooBig;
  if (*bytes == 0) return kTextSplitSizeZero;
  return nullptr;
}

int RunSplit(const SplitArguments& arguments) {
  std::unique_ptr<System> host = MakeHostSystem();
  ConsoleSystem console(host.get(), arguments.yes);
  FailureReasons reasons(&console);
  InstallSystem(&reasons);
  LoadSettings();
  if (!SettingsProblem(*host).empty()) {
    std::fprintf(stderr, "%s\n",
                 SettingsFailure(*host, "The options could not be read or stored",
                                 "; the defaults hold for this run")
                     .c_str());
  }
  for (const auto& [flag, value] : arguments.overrides) appSettings.*kSettingsFlags[flag].field = value;

  SplitJob& job = splitJob;
  job.spanToDisk = arguments.span ? 1 : 0;
  job.pieceSize = 0;
  if (!arguments.span) {
    unsigned long long bytes = 0;
    if (arguments.preset >= 0) {
      bytes = kPresetSizes[arguments.preset];
    } else if (const char* problem = SizeArgumentBytes(arguments.sizeText, &bytes)) {
      return Refuse(problem);
    }
    job.pieceSize = static_cast<std::uint32_t>(bytes);
  }

  const std::string source = ToDosPath(arguments.source);
  FoundFile found;
  const bool sourceFound = !source.empty() && HostHas(arguments.source) &&
                           Sys().FindFile(source, &found) && !found.isDirectory;
  const bool sourceIsFolder = KindOfPath(arguments.source) == PathKind::Folder;
  // The count that the main dialog's label holds by now.
  if (!job.spanToDisk && sourceFound && found.size < kFourGigabytes &&
      found.size >= job.pieceSize) {
    const std::uint32_t count = CountPieces(static_cast<std::uint32_t>(found.size), job.pieceSize);
    if (count == 1) return Refuse(kTextOnePiece);
    if (count > 1000) return Refuse(kTextTooManyPieces);
  }

  std::string destination;
  if (!arguments.destination.empty()) {
    destination = ToDosPath(arguments.destination);
    if (destination.empty()) {
      return Refuse(HostHas(arguments.destination) ? WhyNoDosPath(arguments.destination)
                                                   : std::string(kTextDestinationFolderNotFound));
    }
  }
  if (job.spanToDisk) {
    if (!IsRoot(destination)) return Refuse(kTextSpanToFolder);
    if (Sys().DriveTypeOf(destination) != DriveType::Removable) return Refuse(kTextSpanNotRemovable);
  } else if (!destination.empty() &&
             Sys().DriveTypeOf(destination.substr(0, 3)) == DriveType::Removable &&
             Sys().ShowMessageBox(nullptr, kTextRemovableWarning, kCaptionWarning,
                                  kMbIconWarning | kMbYesNo) != kIdYes) {
    return 1;
  }

  if (sourceIsFolder) {
    return Refuse(Format(kTextSourceNotRegular, arguments.source.c_str(), "a folder"));
  }
  if (!sourceFound && source.empty() && HostHas(arguments.source)) {
    return Refuse(WhyNoDosPath(arguments.source));
  }
  if (!sourceFound) return Refuse(kTextSourceNotFound);
  if (const std::string kind = OddFileKind(arguments.source); !kind.empty()) {
    return Refuse(Format(kTextSourceNotRegular, arguments.source.c_str(), kind.c_str()));
  }
  if (!IsDosFileName(found.name)) return Refuse(kTextSourceNameNotForDos);
  if (!found.name.empty() && (found.name.back() == '.' || found.name.back() == ' ')) {
    return Refuse(kTextSourceNameEndsBadly);
  }
  if (IsDosDeviceName(found.name)) {
    return Refuse(Format(kTextSourceNameIsDevice, found.name.c_str()).c_str());
  }
  if (destination.empty() && !job.spanToDisk) {
    destination = DefaultDestination(source);
  }
  if (!job.spanToDisk) {
    FoundFile target;
    const bool named = arguments.destination.empty() || HostHas(arguments.destination);
    if (!named || !Sys().FindFile(destination, &target)) {
      if (!IsRoot(destination)) return Refuse(kTextDestinationFolderNotFound);
      if (Sys().DriveTypeOf(destination) == DriveType::NoRootDir) {
        return Refuse(kTextDestinationDriveNotFound);
      }
    } else if (!IsRoot(destination) && !target.isDirectory) {
      return Refuse(kTextDestinationNotFolder);
    }
  }
  if (found.size >= kFourGigabytes) return Refuse(kTextSourceTooLarge);
  job.sourceSize = static_cast<std::uint32_t>(found.size);
  if (job.sourceSize < job.pieceSize) return Refuse(kTextSizeOverSource);

  job.backupEnabled = 0;
  if (!arguments.backupFolder.empty()) {
    const std::string backup = ToDosPath(arguments.backupFolder);
    FoundFile folder;
    if (backup.empty() && HostHas(arguments.backupFolder)) {
      return Refuse(WhyNoDosPath(arguments.backupFolder));
    }
    if (backup.empty() || !HostHas(arguments.backupFolder) ||
        !Sys().FindFile(backup, &folder)) {
      return Refuse(kTextFolderMissing);
    }
    if (!folder.isDirectory) return Refuse(kTextNotFolder);
    job.backupEnabled = 1;
    job.backupFolder = backup;
  }

  job.sourcePath = source;
  job.destinationPath = destination;
  job.pieceCount = job.spanToDisk ? 0 : CountPieces(job.sourceSize, job.pieceSize);
  if (job.pieceCount >= 100 &&
      Sys().ShowMessageBox(nullptr, Format(kTextManyPieces, static_cast<int>(job.pieceCount)),
                           kCaptionWarning, kMbIconWarning | kMbYesNo) != kIdYes) {
    return 1;
  }

  static int consoleWindow;  // the run's "dialog": a console has no windows
  progressDialog = &consoleWindow;
  PieceChecksums checksums(arguments.checksums);
  SplitRecovery recovery(&checksums, arguments.recovery);
  job.checksums = &recovery;
  const int status = PrepareSplitRun() && SplitWorker() ? 0 : 1;
  job.checksums = nullptr;
  return status;
}

}  // namespace parcelo
