// Host paths as qsdtool's shell writes them, joined and split, and turned into the paths by
// which the installer's System reaches them. Files themselves are reached only through the
// System.
#pragma once

#include <string>

namespace qinstall {

// folder and name joined as the host writes paths; name alone for an empty folder.
std::string JoinPath(const std::string& folder, const std::string& name);
// The folder that holds path; empty for a bare name.
std::string ParentFolder(const std::string& path);

// The path by which the installer's System reaches a path given on the command line. The
// POSIX System reads a relative path as one inside its current folder, never above it.
std::string SystemPath(const std::string& path);

}  // namespace qinstall
