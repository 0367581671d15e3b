// The uninstaller's title and the texts it shows; %s stands for the product or a path.
#pragma once

#include <string>

namespace qinstall {

constexpr char kUninstallerTitle[] = "Tavrin Uninstaller";

constexpr char kConfirmRemoval[] = "Are you sure you want to remove %s and all of its components?";
constexpr char kRemovalDone[] = "%s was successfully removed from your computer.";
constexpr char kRemovalCaption[] = "Removing %s";

constexpr char kNoRecordGiven[] =
    "No uninstall record was named.\n\nRemove a program through Add/Remove Programs in the "
    "Control Panel, which starts this program with the program's uninstall record.";
constexpr char kRecordMissing[] =
    "The uninstall record '%s' does not exist. The program may have been removed already.";
constexpr char kRecordDamaged[] =
    "The uninstall record '%s' cannot be read. It is damaged, or another program has it open.";
// The second %s: what is wrong with it.
constexpr char kRecordRefused[] =
    "The uninstall record '%s' cannot be used: %s.\n\nNothing was removed.";
constexpr char kNoProgressWindow[] = "The progress window cannot be shown. Nothing was removed.";
// The first %s: the product; the second: one line for each item left.
constexpr char kRemovalIncomplete[] =
    "%s could not be removed completely. These items are left:\n\n%s\n\nClose any program that "
    "uses them and clear their read-only mark, then remove %s again.";

// Replaces each %s in turn.
std::string FormatText(const char* text, const std::string& first,
                       const std::string& second = {}, const std::string& third = {});

}  // namespace qinstall
