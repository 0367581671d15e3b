// The three commands of parcelo95, after their arguments have been parsed. Each returns
// the exit status: 0 after a finished run, 1 after a failed or refused one.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace parcelo {

// --preset fat32: the largest file FAT32 holds, 4 GB - 1 bytes.
constexpr int kPresetFat32 = 4;
constexpr std::uint32_t kFat32LargestFile = 0xFFFFFFFFu;

// --set NAME=0|1: the flag's index in kSettingsFlags and its value.
using FlagOverrides = std::vector<std::pair<int, int>>;

// The flag override that text names, or false.
bool ParseFlagOverride(const std::string& text, std::pair<int, int>* overrideValue);

struct SplitArguments {
  std::string source;       // "-": standard input, read to its end
  std::string name;         // --name: with "-", the long name the join file gives back
  std::string destination;  // empty: the source's folder
  std::string sizeText;     // --size, as typed
  int preset = -1;          // --preset, an index of kPresetSizes, or kPresetFat32
  bool span = false;
  std::string backupFolder;  // --backup
  bool yes = false;
  bool checksums = true;  // --no-checksums: no <piece base>.SFV
  int recovery = 0;       // --recovery PERCENT; 0: no recovery files
  FlagOverrides overrides;
};

// The bytes of a --size text ("1457264", "1.5KB", "0.5mb"), or the message that refuses it.
const char* SizeArgumentBytes(const std::string& text, unsigned long long* bytes);

class HostSystem;

// "what (PATH: reason)then." for a settings store that failed.
std::string SettingsFailure(HostSystem& host, const std::string& what, const std::string& then = {});

int RunSplit(const SplitArguments& arguments);
int RunOptions(const FlagOverrides& overrides);
// writeBack (--repair): pieces rebuilt from recovery files replace the damaged ones.
int RunJoin(const std::string& target, bool writeBack = false);
int RunVerify(const std::string& target);

}  // namespace parcelo
