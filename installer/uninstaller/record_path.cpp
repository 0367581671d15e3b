#include "uninstaller/record_path.h"

namespace qinstall {
namespace {
bool IsBlank(char c) { return c == ' ' || c == '\t'; }
}  // namespace

std::string RecordPathFromCommandLine(const std::string& commandLine) {
  std::size_t at = 0;
  while (at < commandLine.size() && IsBlank(commandLine[at])) ++at;
  // The program's name: quoted, or up to the first blank.
  if (at < commandLine.size() && commandLine[at] == '"') {
    const std::size_t close = commandLine.find('"', at + 1);
    at = close == std::string::npos ? commandLine.size() : close + 1;
  } else {
    while (at < commandLine.size() && !IsBlank(commandLine[at])) ++at;
  }
  while (at < commandLine.size() && IsBlank(commandLine[at])) ++at;
  std::size_t end = commandLine.size();
  while (end > at && (IsBlank(commandLine[end - 1]) || commandLine[end - 1] == '\r' ||
                      commandLine[end - 1] == '\n')) {
    --end;
  }
  std::string path = commandLine.substr(at, end - at);
  if (!path.empty() && path.front() == '"') {
    const std::size_t close = path.find('"', 1);
    path = path.substr(1, close == std::string::npos ? std::string::npos : close - 1);
  }
  return path;
}

}  // namespace qinstall
