#include "platform/system.h"

namespace qinstall {
namespace {
System installed = {};
}  // namespace

void InstallSystem(const System& system) { installed = system; }

FileSystem& Files() { return *installed.files; }
RegistrySystem& Registry() { return *installed.registry; }
WindowSystem& Windows() { return *installed.windows; }

}  // namespace qinstall
