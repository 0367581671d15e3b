// Windows 95 does not save the SSE registers when it switches threads, whatever the
// processor: a system that cannot say it does is taken not to. Asked by name, since the
// Windows 95 family's KERNEL32 may lack the function.
#include <windows.h>

#include "checksums/crc32_fold.h"

namespace parcelo {

bool SystemKeepsSseState() {
  using Query = BOOL(WINAPI*)(DWORD);
  const HMODULE kernel = GetModuleHandleA("KERNEL32.DLL");
  const Query isPresent =
      kernel == nullptr
          ? nullptr
          : reinterpret_cast<Query>(
                reinterpret_cast<void*>(GetProcAddress(kernel, "IsProcessorFeaturePresent")));
  constexpr DWORD kSse2Available = 10;  // PF_XMMI64_INSTRUCTIONS_AVAILABLE
  return isPresent != nullptr && isPresent(kSse2Available) != 0;
}

}  // namespace parcelo
