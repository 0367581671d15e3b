// qsdtool's commands, apart from main so that tests can run them on real files.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace qinstall {

// args without the program name. Returns the exit status: 0 done, 1 failed, 2 usage error.
int RunQsdtool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace qinstall
