// The main dialog's handlers: what each message of the window does, without the window.
#pragma once

#include <cstdint>
#include <string>

#include "platform/system.h"

namespace parcelo {

// Control id and help context pairs of the Options dialog, ended by two zeros.
extern const std::uint32_t kHelpContextTable[20];

void MainDialogInit(WindowHandle dialog);
void MainDialogCommand(WindowHandle dialog, int id, int notification);
void MainDialogDropFile(WindowHandle dialog, const std::string& path);
void MainDialogContextHelp(WindowHandle item);
void MainDialogClose(WindowHandle dialog);

// Size and Num Pieces labels for a source path; RefreshCount sets only the second.
void RefreshLabels(const std::string& path);
void RefreshCount();
bool CanSplit(WindowHandle dialog);
void UpdateSplitButton(WindowHandle dialog);
// Puts the folder of path into the destination edit; returns it, or "" without a '\'.
std::string DefaultDestination(const std::string& path);

// The Split button: checks the request in order and starts the run.
void ValidateAndStartSplit(WindowHandle dialog);

}  // namespace parcelo
