// The uninstaller is started as "<Windows folder>\Uninstaller.exe <record path>", the path
// unquoted (so it may hold blanks); a user may also quote it.
#pragma once

#include <string>

namespace qinstall {

// Everything after the program's name on the whole command line (GetCommandLineA), with
// the blanks around it and one pair of enclosing quotes dropped. Empty when none is given.
std::string RecordPathFromCommandLine(const std::string& commandLine);

}  // namespace qinstall
