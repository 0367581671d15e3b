// What qsdtool needs of its host beyond the installer's System: what a path names and how
// large a file is, without opening it (a FIFO would wait for a writer), and host paths
// joined and split as the host writes them. Windows answers through ANSI calls, which the
// Windows 95 family has.
#pragma once

#include <cstdint>
#include <string>

namespace qinstall {

enum class PathKind { None, File, Folder, Fifo, Device, Other };

// What path names, links followed; None when nothing can be found there.
PathKind KindOfPath(const std::string& path);
// The size of the file at path; 0 when it cannot be had.
std::uint64_t FileSizeOf(const std::string& path);

// folder and name joined as the host writes paths; name alone for an empty folder.
std::string JoinPath(const std::string& folder, const std::string& name);
// The folder that holds path; empty for a bare name.
std::string ParentFolder(const std::string& path);

// The path by which the installer's System reaches a path given on the command line. The
// POSIX System reads a relative path as one inside its current folder, never above it.
std::string SystemPath(const std::string& path);

}  // namespace qinstall
