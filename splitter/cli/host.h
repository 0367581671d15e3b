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

// The platform's System, with the host's drives in its table and its settings store.
std::unique_ptr<System> MakeHostSystem();

// Why the option flags could not be read or stored by that System ("PATH: reason"), or
// empty when they could.
std::string SettingsProblem(System& host);

// The DOS path by which that System reaches a host path; empty when it cannot.
std::string ToDosPath(const std::string& hostPath);

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

// Host paths as parcelo95 join walks them, by the host's own calls (ANSI ones on Windows,
// which the Windows 95 family has).

// folder and name joined as the host writes paths ("dir/name"; "dir\name" on Windows).
std::string JoinPath(const std::string& folder, const std::string& name);
// The folder that holds path, "." for a bare name.
std::string ParentFolder(const std::string& path);
// The name path gives its file in that folder.
std::string NameInFolder(const std::string& path);

enum class PathKind { None, File, Folder, Link, Other };
// What path names, links followed (so never Link).
PathKind KindOfPath(const std::string& path);

struct FolderEntry {
  std::string name;
  PathKind kind;  // File, Link (never followed) or Other
};
// The folder's entries without "." and ".."; empty when it cannot be read.
std::vector<FolderEntry> ListFolder(const std::string& folder);
// The names of folder's plain files (links followed) that wanted accepts, sorted.
std::vector<std::string> PlainFilesNamed(const std::string& folder,
                                         bool (*wanted)(const std::string& name));
// Whether anything has that name, a dangling link too. The file system may find it under
// another case or by its 8.3 alias.
bool EntryExists(const std::string& path);
// True when both paths name one existing file (links and aliases included).
bool IsSameEntry(const std::string& a, const std::string& b);
bool RemoveHostFile(const std::string& path);

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
