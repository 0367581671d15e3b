// The installer's start-up, up to its message loop.
#pragma once

namespace qinstall {

// Refuses Windows 3.x and the Windows NT family, loads "Install.qsd" from the current
// folder and opens the install dialog. False, after telling the user, when there is
// nothing to run: the program then ends.
bool StartInstaller();

}  // namespace qinstall
