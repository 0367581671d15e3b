#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_registry_system.h"
#include "platform/win32/win32_window_system.h"

namespace qinstall {

System PlatformSystem() {
  static Win32FileSystem files;
  static Win32RegistrySystem registry;
  static Win32WindowSystem windows;
  return System{&files, &registry, &windows};
}

}  // namespace qinstall
