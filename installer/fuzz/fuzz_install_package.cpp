// LoadInstallPackage on arbitrary bytes. Besides the sanitizers' checks: the file is closed,
// a failed load leaves nothing behind, and a loaded package encodes back to exactly the
// bytes that were read (plus the shortcut count, when the file ended before it).
#include <cstring>

#include "fuzz/memory_system.h"
#include "package/load_install_package.h"
#include "tools/encode_package.h"

using namespace qinstall;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static MemoryFileSystem& system = InstallMemorySystem();
  system.Serve(data, size);
  LoadReport report;
  const int loaded = LoadInstallPackage("Install.qsd", &report);
  if (system.open()) std::abort();
  InstallPackage& package = Package();
  if (!loaded) {
    CheckReleased(package);
    if (report.offset > size) std::abort();
    return 0;
  }
  CheckCommonFields(package);
  for (const ShortcutEntry& shortcut : package.shortcuts) {
    CheckTerminated(shortcut.name);
    CheckTerminated(shortcut.target);
    CheckTerminated(shortcut.description);
    CheckTerminated(shortcut.iconLocation);
  }
  const std::string encoded = EncodeInstallPackage(package);
  const std::size_t missing = encoded.size() - report.offset;
  if (report.offset > size || report.offset > encoded.size() ||
      std::memcmp(encoded.data(), data, report.offset) != 0 ||
      (missing != 0 && (missing > 2 || !package.shortcuts.empty()))) {
    std::abort();
  }
  ResetInstallPackage();
  return 0;
}
