#include "platform/system.h"

namespace parcelo {
namespace {
System* installed = nullptr;
}

System& Sys() { return *installed; }

void InstallSystem(System* system) { installed = system; }

}  // namespace parcelo
