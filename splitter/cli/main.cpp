// parcelo95: the split engine from a shell. Writes the same pieces and Join.bat as the
// Windows program.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "cli/console_system.h"
#include "cli/host.h"
#include "engine/split_job.h"
#include "engine/split_run.h"
#include "frontend/app_settings.h"
#include "frontend/main_dialog_state.h"

using namespace parcelo;

namespace {

constexpr char kUsage[] =
    "usage: parcelo95 split SOURCE [DEST] --size BYTES [--yes]\n"
    "       parcelo95 --help | --version\n";

int Usage(const char* problem) {
  if (problem != nullptr) std::fprintf(stderr, "parcelo95: %s\n", problem);
  std::fputs(kUsage, stderr);
  return 2;
}

int Refuse(const char* text) {
  std::fprintf(stderr, "Error: %s\n", text);
  return 1;
}

// Strict decimal byte count below 4 GiB.
bool ParseBytes(const char* text, std::uint32_t* bytes) {
  if (*text == '\0') return false;
  std::uint64_t value = 0;
  for (const char* c = text; *c != '\0'; ++c) {
    if (*c < '0' || *c > '9') return false;
    value = value * 10 + static_cast<unsigned>(*c - '0');
    if (value > 0xFFFFFFFFu) return false;
  }
  *bytes = static_cast<std::uint32_t>(value);
  return true;
}

std::string FolderOf(const std::string& dosPath) {
  const std::size_t slash = dosPath.rfind('\\');
  if (slash == std::string::npos) return dosPath;
  return slash <= 2 ? dosPath.substr(0, 3) : dosPath.substr(0, slash);
}

int Split(int argc, char** argv) {
  std::string source, destination;
  const char* sizeText = nullptr;
  bool yes = false;
  for (int i = 2; i < argc; ++i) {
    if (std::strcmp(argv[i], "--size") == 0 && i + 1 < argc) {
      sizeText = argv[++i];
    } else if (std::strcmp(argv[i], "--yes") == 0) {
      yes = true;
    } else if (argv[i][0] == '-' && argv[i][1] == '-') {
      return Usage("unknown option");
    } else if (source.empty()) {
      source = argv[i];
    } else if (destination.empty()) {
      destination = argv[i];
    } else {
      return Usage("too many paths");
    }
  }
  if (source.empty() || sizeText == nullptr) return Usage("SOURCE and --size are needed");
  std::uint32_t pieceSize = 0;
  if (!ParseBytes(sizeText, &pieceSize)) return Usage("--size takes a byte count below 4 GB");

  std::unique_ptr<System> host = MakeHostSystem();
  ConsoleSystem console(host.get(), yes);
  InstallSystem(&console);

  const std::string sourcePath = ToDosPath(source);
  FoundFile found;
  if (sourcePath.empty() || !Sys().FindFile(sourcePath, &found) || found.isDirectory) {
    return Refuse("Source file does not exist.");
  }
  if (found.size > 0xFFFFFFFFu) {
    return Refuse("Source file is too large. Files of 4 GB or more cannot be split.");
  }
  const std::string destinationPath = destination.empty() ? FolderOf(sourcePath) : ToDosPath(destination);
  FoundFile folder;
  if (destinationPath.empty() || !Sys().FindFile(destinationPath, &folder) || !folder.isDirectory) {
    return Refuse("Destination folder does not exist.");
  }
  if (pieceSize == 0) return Refuse("Split size must be greater than 0.");
  const auto sourceSize = static_cast<std::uint32_t>(found.size);
  if (sourceSize < pieceSize) return Refuse("Split size is greater than source file size.");

  splitJob.sourcePath = sourcePath;
  splitJob.destinationPath = destinationPath;
  splitJob.sourceSize = sourceSize;
  splitJob.pieceSize = pieceSize;
  splitJob.pieceCount = static_cast<std::uint32_t>((std::uint64_t{sourceSize} + pieceSize - 1) / pieceSize);
  splitJob.spanToDisk = 0;

  static int consoleWindow;  // the run's "dialog": a console has no windows
  progressDialog = &consoleWindow;
  if (!PrepareSplitRun()) return 1;
  return SplitWorker() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage(nullptr);
  if (std::strcmp(argv[1], "--help") == 0) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (std::strcmp(argv[1], "--version") == 0) {
    std::puts("parcelo95 " PARCELO_VERSION);
    return 0;
  }
  if (std::strcmp(argv[1], "split") == 0) return Split(argc, argv);
  return Usage("unknown command");
}
