#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>

#include "cli/host.h"
#include "platform/posix/posix_system.h"

namespace parcelo {

std::unique_ptr<System> MakeHostSystem() {
  auto system = std::make_unique<PosixSystem>();
  system->MapDrive('C', "/", DriveType::Fixed);
  return system;
}

std::string ToDosPath(const std::string& hostPath) {
  std::error_code error;
  const std::string absolute = std::filesystem::absolute(hostPath, error).lexically_normal().string();
  if (error || absolute.find('\\') != std::string::npos) return std::string();
  std::string dos = "C:";
  for (char c : absolute) dos += c == '/' ? '\\' : c;
  if (dos.size() > 3 && dos.back() == '\\') dos.pop_back();
  return dos;
}

bool StdinIsTerminal() { return isatty(0) != 0; }
bool StderrIsTerminal() { return isatty(2) != 0; }

}  // namespace parcelo
