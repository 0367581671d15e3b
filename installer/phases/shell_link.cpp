// One shell link through the shell's link object (the System carries the COM sequence).
#include "phases/install_phases.h"
#include "platform/system.h"

namespace qinstall {

int CreateShellLink(const char* target, const char* arguments, const char* linkFile,
                    const char* description, const char* iconPath, int iconIndex,
                    const char* workingFolder) {
  ShellLink link;
  link.target = target;
  link.arguments = arguments != nullptr ? arguments : "";
  link.linkFile = linkFile;
  link.description = description;
  link.iconPath = iconPath != nullptr ? iconPath : "";
  link.iconIndex = iconIndex;
  link.workingFolder = workingFolder != nullptr ? workingFolder : "";
  return Windows().SaveShellLink(link) ? 1 : 0;
}

}  // namespace qinstall
