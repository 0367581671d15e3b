// parcelo95 split: the request's checks, with the command line's own among them, then the
// engine's run.
#include <cctype>
#include <cstdio>
#include <memory>

#include "checksums/piece_checksums.h"
#include "cli/commands.h"
#include "cli/console_system.h"
#include "cli/failure_reasons.h"
#include "cli/host.h"
#include "cli/split_recovery.h"
#include "cli/terminal_progress.h"
#include "engine/app_settings.h"
#include "engine/piece_name.h"
#include "engine/request_checks.h"
#include "engine/settings_store.h"
#include "engine/split_job.h"
#include "engine/split_messages.h"
#include "engine/split_progress.h"
#include "engine/split_run.h"
#include "engine/split_size.h"
#include "engine/text_format.h"

namespace parcelo {
namespace {

int Refuse(const std::string& text) {
  Windows().ShowMessageBox(nullptr, text, kCaptionError, kMbIconError);
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

// Recovery files are planned over every piece's size and first bytes before the first piece
// is written, and made in further reads of the source past 64 MiB: a pipe gives neither.
constexpr char kTextRecoveryFromStream[] =
    "Recovery files cannot be made from standard input: they need the whole source before "
    "the first piece. Save it to a file and split that with --recovery.";

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

// The command line's own checks at their places among the request's: a path it was given
// names just that path, and a source must be a plain file whose name DOS can carry.
class CommandLineChecks final : public RequestChecks {
 public:
  CommandLineChecks(const SplitArguments& arguments, bool sourceFound, bool stream)
      : arguments_(arguments), sourceFound_(sourceFound), stream_(stream) {}

  std::string DestinationProblem() override {
    if (arguments_.destination.empty() || !ToDosPath(arguments_.destination).empty()) return {};
    return HostHas(arguments_.destination) ? WhyNoDosPath(arguments_.destination)
                                           : std::string(kTextDestinationFolderNotFound);
  }
  // Without a destination there is no drive to warn about.
  DriveType WarningDriveType(const std::string& root) override {
    return root.empty() ? DriveType::NoRootDir : Files().DriveTypeOf(root);
  }
  std::string LookUpSource(const std::string& path, FoundFile* found) override {
    if (stream_) {  // named by --name, checked as a source's own name
      found->name = arguments_.name;
      return NameProblem(found->name);
    }
    const std::string& host = arguments_.source;
    if (KindOfPath(host) == PathKind::Folder) {
      return Format(kTextSourceNotRegular, host.c_str(), "a folder");
    }
    if (!sourceFound_ && path.empty() && HostHas(host)) return WhyNoDosPath(host);
    if (!sourceFound_ || !Files().FindFile(path, found)) return kTextSourceNotFound;
    if (const std::string kind = OddFileKind(host); !kind.empty()) {
      return Format(kTextSourceNotRegular, host.c_str(), kind.c_str());
    }
    return NameProblem(found->name);
  }
  // Any size: pieces stay within FAT32's largest file, and COPY /B joins any size.
  bool RefusesFourGigabytes() override { return false; }
  bool SourceSizeKnown() override { return !stream_; }
  bool LookUpDestination(const std::string& path, FoundFile* found) override {
    const bool named = arguments_.destination.empty() || HostHas(arguments_.destination);
    return named && Files().FindFile(path, found);
  }

 private:
  static std::string NameProblem(const std::string& name) {
    if (!IsDosFileName(name)) return kTextSourceNameNotForDos;
    if (!name.empty() && (name.back() == '.' || name.back() == ' ')) {
      return kTextSourceNameEndsBadly;
    }
    return {};
  }

  const SplitArguments& arguments_;
  bool sourceFound_;
  bool stream_;
};

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

// The 8.3 name that a file of name would have in folder, as the system gives it: that of the
// file there, else that of an empty file made there for the moment; empty when it needs none.
std::string AlternateNameIn(const std::string& folder, const std::string& name) {
  const std::string path = PathInFolder(folder, name);
  FoundFile found;
  if (Files().FindFile(path, &found)) return found.alternateName;
  std::uint32_t error = 0;
  const FileHandle file = Files().CreateNewFile(path, &error);
  if (file == kInvalidFile) return std::string();  // the first piece's create says why
  Files().CloseFile(file);
  const bool made = Files().FindFile(path, &found);
  Files().RemoveFile(path);
  return made ? found.alternateName : std::string();
}

int RunSplit(const SplitArguments& arguments) {
  const bool stream = arguments.source == "-";
  // Before the console: its questions must not read the data.
  const FileHandle input = stream ? TakeStandardInput() : kInvalidFile;
  std::unique_ptr<HostSystem> host = MakeHostSystem();
  System tables = host->Tables();
  ConsoleSystem console(*tables.windows, arguments.yes);
  tables.windows = &console;
  FailureReasons reasons(tables);
  InstallSystem(reasons.Tables());
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
      bytes = arguments.preset == kPresetFat32 ? kFat32LargestFile : kPresetSizes[arguments.preset];
    } else if (const char* problem = SizeArgumentBytes(arguments.sizeText, &bytes)) {
      return Refuse(problem);
    }
    job.pieceSize = static_cast<std::uint32_t>(bytes);
  }

  const std::string source = stream ? std::string() : ToDosPath(arguments.source);
  FoundFile found;
  const bool sourceFound = !source.empty() && HostHas(arguments.source) &&
                           Files().FindFile(source, &found) && !found.isDirectory;
  if (stream && input == kInvalidFile) return Refuse(kTextOpenSourceFailed);
  if (stream && arguments.recovery > 0) return Refuse(kTextRecoveryFromStream);
  SplitRequest request;
  request.source = source;
  request.spanToDisk = job.spanToDisk;
  request.pieceSize = job.pieceSize;
  // The count that the main dialog's label holds by now.
  if (!job.spanToDisk && sourceFound && found.size >= job.pieceSize) {
    request.pieceCount = CountPieces(found.size, job.pieceSize);
  }
  if (!arguments.destination.empty()) request.destination = ToDosPath(arguments.destination);
  CommandLineChecks checks(arguments, sourceFound, stream);
  const RequestVerdict verdict = CheckSplitRequest(request, nullptr, checks);
  if (!verdict.refusal.empty()) return Refuse(verdict.refusal);
  if (!verdict.accepted) return 1;
  std::string destination = verdict.destination;
  if (stream && destination.empty() && !job.spanToDisk) destination = ToDosPath(".");
  // Any size: a piece is at most 4 GB - 1, which FAT32 holds, and COPY /B joins any size.
  // A pipe's size is known only at its end.
  job.sourceSize = stream ? 0 : verdict.source.size;

  job.backupEnabled = 0;
  if (!arguments.backupFolder.empty()) {
    const std::string backup = ToDosPath(arguments.backupFolder);
    FoundFile folder;
    if (backup.empty() && HostHas(arguments.backupFolder)) {
      return Refuse(WhyNoDosPath(arguments.backupFolder));
    }
    if (backup.empty() || !HostHas(arguments.backupFolder) ||
        !Files().FindFile(backup, &folder)) {
      return Refuse(kTextFolderMissing);
    }
    if (!folder.isDirectory) return Refuse(kTextNotFolder);
    job.backupEnabled = 1;
    job.backupFolder = backup;
  }

  job.sourcePath = source;
  job.destinationPath = destination;
  job.pieceCount =
      job.spanToDisk ? 0 : static_cast<std::uint32_t>(CountPieces(job.sourceSize, job.pieceSize));
  if (!ConfirmPieceCount(nullptr, job.pieceCount)) return 1;

  if (stream) {
    job.sourceStream = input;
    job.longName = arguments.name;
    job.shortName = AlternateNameIn(destination, arguments.name);
  }

  TerminalProgress progress;
  splitProgress = &progress;
  PieceChecksums checksums(arguments.checksums);
  SplitRecovery recovery(&checksums, arguments.recovery);
  job.checksums = &recovery;
  const int status = PrepareSplitRun() && SplitWorker() ? 0 : 1;
  job.checksums = nullptr;
  splitProgress = nullptr;
  return status;
}

}  // namespace parcelo
