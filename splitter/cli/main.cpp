// parcelo95: the split engine from a shell. Writes the same pieces and Join.bat as the
// Windows program, and joins them again without DOS.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <string>

#include "cli/commands.h"
#include "cli/host.h"
#include "engine/settings_store.h"

using namespace parcelo;

namespace {

constexpr int kUsageError = 2;
#ifdef _WIN32
constexpr char kWindowsNeeds[] =
    "Needs a Pentium Pro, Pentium II or later processor (one with CMOV; not a 486, Pentium,\n"
    "Pentium MMX, K6 or 6x86), and Windows 98, or Windows 95 with msvcrt.dll.";
#endif

// "--set NAME=0|1" for split and options alike.
void AddFlagOverrides(CLI::App* command, std::vector<std::string>* texts) {
  command->add_option("--set", *texts, "Override one option flag, e.g. --set \"Use DOS 8.3\"=1")
      ->type_name("NAME=0|1")
      ->allow_extra_args(false)
      ->check([](const std::string& text) {
        std::pair<int, int> parsed;
        if (ParseFlagOverride(text, &parsed)) return std::string();
        std::string names;
        for (const SettingsFlag& flag : kSettingsFlags) names += std::string(" \"") + flag.valueName + "\"";
        return "takes NAME=0 or NAME=1, NAME one of" + names;
      });
}

FlagOverrides Overrides(const std::vector<std::string>& texts) {
  FlagOverrides overrides;
  for (const std::string& text : texts) {
    std::pair<int, int> parsed;
    if (ParseFlagOverride(text, &parsed)) overrides.push_back(parsed);
  }
  return overrides;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Tavrin Parcelo 95 on the command line: split a file into pieces with a DOS join "
               "file, or join them again.",
               "parcelo95"};
  app.set_version_flag("--version", "parcelo95 " PARCELO_VERSION);
  app.require_subcommand(1);
#ifndef _WIN32
  app.footer(
      "Environment:\n"
      "  PARCELO95_DRIVES=FOLDER[=BYTES][:FOLDER...]  folders that count as removable drives,\n"
      "      each optionally a disk of BYTES capacity\n"
      "  PARCELO95_SHORT_NAMES=0  no 8.3 aliases: pieces carry the long name\n"
      "  PARCELO95_OEM_CODEPAGE=437|850  the OEM code page of join files and aliases (437 if\n"
      "      unset)\n"
      "  XDG_CONFIG_HOME  the option flags live in $XDG_CONFIG_HOME/parcelo95/registry.reg");
#else
  // Its C++ library is built for the Pentium Pro: on an older processor it stops at once.
  app.footer(kWindowsNeeds);
#endif

  SplitArguments split;
  std::vector<std::string> splitSets;
  CLI::App* splitCommand = app.add_subcommand("split", "Split SOURCE into pieces in DEST");
  splitCommand->add_option("SOURCE", split.source, "The file to split, or - for standard input")
      ->required();
  splitCommand->add_option("DEST", split.destination,
                           "Folder for the pieces (default: the source's folder); with --span "
                           "the root of a removable drive");
  CLI::Option* size = splitCommand->add_option(
      "--size", split.sizeText, "Piece size: digits and a point, then bytes, KB or MB");
  std::string presetName;
  // In the order of kPresetSizes, then kPresetFat32.
  const std::vector<std::string> presets = {"720KB", "1.2MB", "1.44MB", "2.88MB", "fat32"};
  CLI::Option* preset =
      splitCommand->add_option("--preset", presetName,
                               "A floppy size, or fat32: the largest file FAT32 holds (4 GB - 1 "
                               "bytes)")
          ->check(CLI::IsMember(presets, CLI::ignore_case));
  CLI::Option* span =
      splitCommand->add_flag("--span", split.span, "Fill one removable disk after the other");
  size->excludes(preset)->excludes(span);
  preset->excludes(span);
  splitCommand->add_option("--name", split.name,
                           "With SOURCE -: the name the join file gives back to the bytes "
                           "(required there)");
  splitCommand->add_option("--backup", split.backupFolder, "Also write every piece here");
  splitCommand->add_flag("--yes", split.yes,
                         "Answer Yes, OK or Retry to each question (once), for scripts");
  bool noChecksums = false;
  splitCommand->add_flag("--no-checksums", noChecksums,
                         "Write no checksum file (<piece base>.SFV) beside the pieces");
  splitCommand->add_option("--recovery", split.recovery,
                           "Also write PAR2 recovery files that can rebuild about PERCENT of "
                           "the pieces (1 to 100)")
      ->type_name("PERCENT")
      ->check(CLI::Range(1, 100));
  AddFlagOverrides(splitCommand, &splitSets);

  std::string codePage;
#ifndef _WIN32
  // Windows writes and reads join files in its own OEM code page.
  splitCommand->add_option("--codepage", codePage,
                           "OEM code page of the join file and of the 8.3 aliases: 437 or 850 "
                           "(default: PARCELO95_OEM_CODEPAGE, else 437)");
#endif

  std::string joinTarget;
  bool writeBack = false;
  CLI::App* joinCommand =
      app.add_subcommand("join", "Rebuild a source from its pieces by its join file");
  joinCommand->add_option("TARGET", joinTarget,
                          "The pieces' folder or its join file (default: this folder)");
  joinCommand->add_flag("--repair", writeBack,
                        "Write pieces rebuilt from the recovery files back in place of the "
                        "lost or damaged ones (without it only the rebuilt file has them)");
#ifndef _WIN32
  joinCommand->add_option("--codepage", codePage,
                          "OEM code page the join file is written in: 437 or 850 (default: "
                          "PARCELO95_OEM_CODEPAGE, else 437)");
#endif

  std::string verifyTarget;
  CLI::App* verifyCommand = app.add_subcommand(
      "verify", "Check pieces against their checksum file (.SFV), without joining them");
  verifyCommand->add_option("TARGET", verifyTarget,
                            "A folder (every .SFV file in it), a join file, or a checksum file "
                            "(default: this folder)");

#ifndef _WIN32
  verifyCommand->add_option("--codepage", codePage,
                            "OEM code page a join file named is written in: 437 or 850 "
                            "(default: PARCELO95_OEM_CODEPAGE, else 437)");
#endif

  std::vector<std::string> optionSets;
  CLI::App* optionsCommand =
      app.add_subcommand("options", "List the stored option flags, or store them with --set");
  AddFlagOverrides(optionsCommand, &optionSets);

  try {
    app.parse(argc, argv);
    if (splitCommand->parsed() && size->count() + preset->count() + span->count() != 1) {
      throw CLI::RequiredError("one of --size, --preset and --span");
    }
    if (splitCommand->parsed() && (split.source == "-") != !split.name.empty()) {
      throw CLI::ValidationError(split.source == "-"
                                     ? "SOURCE -: --name NAME is needed, the name to give back"
                                     : "--name: only with SOURCE - (standard input)");
    }
  } catch (const CLI::Success& done) {
    return app.exit(done);
  } catch (const CLI::ParseError& error) {
    app.exit(error);
    return kUsageError;
  }

  if (splitCommand->parsed() || joinCommand->parsed() || verifyCommand->parsed()) {
    std::string problem;
    if (!ChooseOemCodePage(codePage, &problem)) {
      std::fprintf(stderr, "%s\n", problem.c_str());
      return kUsageError;
    }
  }
  if (splitCommand->parsed()) {
    for (std::size_t i = 0; i < presets.size(); ++i) {
      if (CLI::detail::to_lower(presetName) == CLI::detail::to_lower(presets[i])) {
        split.preset = static_cast<int>(i);
      }
    }
    split.overrides = Overrides(splitSets);
    split.checksums = !noChecksums;
    return RunSplit(split);
  }
  if (joinCommand->parsed() || verifyCommand->parsed()) {
    // Every file they touch, they reach through the System, as split does.
    const std::unique_ptr<parcelo::HostSystem> host = parcelo::MakeHostSystem();
    parcelo::InstallSystem(host->Tables());
    return joinCommand->parsed() ? RunJoin(joinTarget, writeBack) : RunVerify(verifyTarget);
  }
  return RunOptions(Overrides(optionSets));
}
