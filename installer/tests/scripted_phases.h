// Stand-ins for the install phases, for the worker's and the dialogs' tests: each keeps the
// phases' side of the worker's protocol (their progress steps, the cancel check points
// before each file and shortcut entry with their rollback, closing the dialog when they
// stop) and logs its calls, but touches no file, key or link.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace qinstall {

struct PhaseScript {
  bool foldersFail = false;
  int copyFailsAt = -1;        // the index of the file whose copy fails; -1 none
  bool registryFails = false;
  bool recordFails = false;
  std::vector<std::string> log;  // "CreateInstallFolders", "cancel at file 2", ...
  // What the user does while the named phase runs (presses Cancel, closes the dialog).
  std::string actIn;
  std::function<void()> act;
};

PhaseScript& Script();
void ResetPhaseScript();

}  // namespace qinstall
