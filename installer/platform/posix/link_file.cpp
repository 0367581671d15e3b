#include "platform/posix/link_file.h"

#include <cstdlib>
#include <sstream>

namespace qinstall {

std::string FormatLinkFile(const ShellLink& link) {
  return "[Shell Link]\nTarget=" + link.target + "\nArguments=" + link.arguments +
         "\nDescription=" + link.description + "\nIconFile=" + link.iconPath +
         "\nIconIndex=" + std::to_string(link.iconIndex) + "\nWorkingFolder=" +
         link.workingFolder + "\n";
}

bool ParseLinkFile(const std::string& text, ShellLink* link) {
  std::istringstream in(text);
  std::string line;
  if (!std::getline(in, line) || line != "[Shell Link]") return false;
  *link = ShellLink{};
  int fields = 0;
  while (std::getline(in, line)) {
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos) return false;
    const std::string name = line.substr(0, equals);
    const std::string value = line.substr(equals + 1);
    if (name == "Target") link->target = value;
    else if (name == "Arguments") link->arguments = value;
    else if (name == "Description") link->description = value;
    else if (name == "IconFile") link->iconPath = value;
    else if (name == "IconIndex") link->iconIndex = static_cast<int>(std::strtol(value.c_str(), nullptr, 10));
    else if (name == "WorkingFolder") link->workingFolder = value;
    else return false;
    ++fields;
  }
  return fields == 6;
}

}  // namespace qinstall
