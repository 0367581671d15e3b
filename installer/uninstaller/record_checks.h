// Whether the uninstaller may act on a record at all. A record that names anything outside
// the folders it installed into is refused whole, before anything is removed.
#pragma once

#include <string>

#include "package/uninstall_record.h"

namespace qinstall {

// Empty when every name in the record stays where the installer put it; otherwise what
// is wrong, naming the field and its text.
std::string UninstallRecordProblem(const UninstallRecord& record,
                                   const std::string& windowsFolder);

// The Start Menu folder's part below the Windows folder's "Start Menu", or the whole text
// when it does not lie there.
std::string StartMenuRelativePart(const std::string& startMenuFolder,
                                  const std::string& windowsFolder);

}  // namespace qinstall
