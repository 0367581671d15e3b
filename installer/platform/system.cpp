#include "platform/system.h"

namespace qinstall {
namespace {
System* installed = nullptr;
}

System& Sys() { return *installed; }

void InstallSystem(System* system) { installed = system; }

}  // namespace qinstall
