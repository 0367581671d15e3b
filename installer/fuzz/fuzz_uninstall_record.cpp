// LoadUninstallRecord on arbitrary bytes: no memory fault, the file is closed, strings stay
// inside their buffers and a failed load leaves an empty record.
#include <cstring>

#include "fuzz/memory_system.h"
#include "package/uninstall_record.h"

using namespace qinstall;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static MemoryFileSystem& system = InstallMemorySystem();
  system.Serve(data, size);
  UninstallRecord record;
  LoadReport report;
  const int loaded = LoadUninstallRecord("Uninstall.qsu", &record, &report);
  if (system.open() || report.offset > size) std::abort();
  if (!loaded) {
    CheckReleased(record);
    return 0;
  }
  CheckCommonFields(record);
  for (const UninstallShortcut& shortcut : record.shortcuts) CheckTerminated(shortcut.name);
  return 0;
}
