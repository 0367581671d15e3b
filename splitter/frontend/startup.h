// The program's start: the initial request, the command line, the settings, the first
// main dialog. The message loop itself belongs to the platform.
#pragma once

#include <string>

namespace parcelo {

constexpr std::size_t kMaxPath = 259;

// The source path a command line names, or "" when it names none.
std::string SourceFromCommandLine(const std::string& commandLine);

void StartParcelo(const std::string& commandLine);

}  // namespace parcelo
