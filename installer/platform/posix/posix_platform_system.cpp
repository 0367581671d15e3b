#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_registry_system.h"
#include "platform/posix/posix_window_system.h"

namespace qinstall {

System PlatformSystem() {
  static PosixWindowSystem windows(HostFiles());
  return System{&HostFiles(), &HostRegistry(), &windows};
}

}  // namespace qinstall
