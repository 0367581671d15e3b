// What the command-line splitter needs of its host beyond the System.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/progress_line.h"
#include "platform/system.h"

namespace parcelo {

// The platform's System, with the host's drives in its table and its settings store.
std::unique_ptr<System> MakeHostSystem();

// Why the option flags could not be read or stored by that System ("PATH: reason"), or
// empty when they could.
std::string SettingsProblem(System& host);

// The DOS path by which that System reaches a host path; empty when it cannot.
std::string ToDosPath(const std::string& hostPath);

// Whether hostPath names something that exists, as the host itself resolves it. On POSIX
// that is the name exactly as written: the System's DOS paths also match a name in another
// case or by the 8.3 alias made up for it, but a path on the command line means just that
// path. Windows resolves its own aliases, so a folder reached through one is that folder.
bool HostPathExists(const std::string& hostPath);

// The OEM code page that join files are written and read in. POSIX: code ("850") from
// --codepage, else PARCELO95_OEM_CODEPAGE, else 437; false with *problem for one that cannot
// be used. Windows: always the system's own.
bool ChooseOemCodePage(const std::string& code, std::string* problem);

// A join file's text in the host's encoding of names.
std::string JoinTextToHost(const std::string& oem);

// Files that parcelo95 join makes, by the host's own calls: a failure leaves errno set so
// that the message can say why.

// A new file at path, opened for binary writing; never an existing file nor a link.
std::FILE* CreateNewFile(const std::string& path);
// Gives from the name to, unless something already has that name; false with errno set
// (EEXIST when it is taken).
bool RenameNoReplace(const std::string& from, const std::string& to);
// The file of folder whose 8.3 alias is name, on a host that makes aliases up itself
// (POSIX); empty when there is none. A Windows file system resolves aliases on its own.
std::string NameByAlias(const std::string& folder, const std::string& name);

// The text of the last system error of this thread (errno, or GetLastError on Windows),
// empty when there is none; and its reset before a call.
std::string LastSystemError();
void ClearSystemError();

bool StdinIsTerminal();

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
