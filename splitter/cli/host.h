// What the command-line splitter needs of its host beyond the System.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/progress_line.h"
#include "platform/system.h"

namespace parcelo {

// The platform's three tables, with the host's drives in the file table and its settings
// store in the registry table.
class HostSystem {
 public:
  virtual ~HostSystem() = default;
  virtual System Tables() = 0;
  // Why the option flags could not be read or stored ("PATH: reason"), or empty when they
  // could.
  virtual std::string SettingsProblem() = 0;
};
std::unique_ptr<HostSystem> MakeHostSystem();

inline std::string SettingsProblem(HostSystem& host) { return host.SettingsProblem(); }

// The DOS path by which the installed System reaches a host path; empty when it cannot.
std::string ToDosPath(const std::string& hostPath);
// Why a host path has no DOS path, as a sentence naming it.
std::string WhyNoDosPath(const std::string& hostPath);

// What the host file at path is when it is there but is neither a regular file nor a folder
// ("a FIFO", "a character device"); empty otherwise. Windows finds no such files.
std::string OddFileKind(const std::string& hostPath);

// The OEM code page that join files are written and read in. POSIX: code ("850") from
// --codepage, else PARCELO95_OEM_CODEPAGE, else 437; false with *problem for one that cannot
// be used. Windows: always the system's own.
bool ChooseOemCodePage(const std::string& code, std::string* problem);

// A join file's text in the host's encoding of names.
std::string JoinTextToHost(const std::string& oem);
// The OEM code pages besides the one in use that a join file may have been written in
// (POSIX: the others that --codepage takes; Windows: none, the system has its own), and a
// join file's text read in one of them.
std::vector<int> OtherOemCodePages();
std::string JoinTextToHost(const std::string& oem, int codePage);

// Host paths as the user writes them, before they become DOS paths.

// folder and name joined as the host writes paths ("dir/name"; "dir\name" on Windows).
std::string JoinPath(const std::string& folder, const std::string& name);
// The folder that holds path, "." for a bare name.
std::string ParentFolder(const std::string& path);
// The name path gives its file in that folder.
std::string NameInFolder(const std::string& path);

enum class PathKind { None, File, Folder, Other };
// What path names, as written and with links followed: the command line takes a path as
// the host resolves it, where the System's DOS view would also match another case or an
// alias.
PathKind KindOfPath(const std::string& path);

// The text of the last system error of this thread (errno, or GetLastError on Windows),
// empty when there is none; and its reset before a call.
std::string LastSystemError();
void ClearSystemError();

bool StdinIsTerminal();

// Standard input for the System to read as a pipe source (kInvalidFile when it cannot be
// had); questions are never read from the data: POSIX asks them on the terminal (/dev/tty),
// Windows as without a terminal.
FileHandle TakeStandardInput();

// Exactly size bytes from offset of a file the System opened for reading, whatever its
// position; false when they cannot all be read. The recovery files are read out of order.
bool ReadFileAt(FileHandle file, std::uint64_t offset, void* data, std::size_t size);

// How a progress line can be drawn on standard error (kNone: it is not a terminal) and the
// terminal's width in columns (0 when unknown). Asked once per run: on Windows it may turn
// on the console's escape sequences, and puts the console back as it was at exit.
LineStyle StderrLineStyle(std::size_t* columns);
// Text to standard output or error in one write, after whatever the C library still holds
// for it: the C library would hand a console one character at a time.
void WriteWhole(std::FILE* stream, const std::string& text);

// A host folder that counts as the root of a removable drive.
struct RemovableFolder {
  std::string folder;
  std::uint64_t capacity = 0;  // 0: the free space of the host file system
};

// POSIX only. PARCELO95_DRIVES: folders separated by ':' as in PATH, each optionally followed by
// "=BYTES" to make it a disk of that capacity. Entries that are not folders are skipped.
std::vector<RemovableFolder> ParseDrivesVariable(const std::string& value);

}  // namespace parcelo
