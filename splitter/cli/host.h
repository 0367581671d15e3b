// What the command-line splitter needs of its host beyond the System.
#pragma once

#include <memory>
#include <string>

#include "platform/system.h"

namespace parcelo {

// The platform's System, with the host's drives in its table.
std::unique_ptr<System> MakeHostSystem();

// The DOS path by which that System reaches a host path; empty when it cannot.
std::string ToDosPath(const std::string& hostPath);

bool StdinIsTerminal();
bool StderrIsTerminal();

}  // namespace parcelo
