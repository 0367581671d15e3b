#include "platform/posix/posix_window_system.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

#include "platform/posix/link_file.h"

namespace qinstall {

int PosixWindowSystem::ShowMessageBox(WindowHandle, const std::string& text,
                                      const std::string& caption, unsigned) {
  std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
  return kIdOk;
}

bool PosixWindowSystem::SaveShellLink(const ShellLink& link) {
  std::string host;
  if (!files_.ToHostPath(link.linkFile, &host) || files_.IsFolder(link.linkFile)) return false;
  const int fd = open(host.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  const std::string text = FormatLinkFile(link);
  const IoResult written =
      files_.WriteFile(fd, text.data(), static_cast<std::uint32_t>(text.size()));
  return close(fd) == 0 && written.ok;
}

}  // namespace qinstall
