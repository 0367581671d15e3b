#include "tools/system_error_text.h"

#ifdef _WIN32
#include <windows.h>
#else
#include "platform/posix/posix_file_system.h"
#endif

namespace qinstall {

std::string SystemErrorText(std::uint32_t code) {
#ifdef _WIN32
  char text[512];
  const DWORD length =
      FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                     text, sizeof text, nullptr);
  std::string words(text, length);
#else
  std::string words = HostErrorText(code);
#endif
  while (!words.empty() && (words.back() == '.' || words.back() == ' ' || words.back() == '\r' ||
                            words.back() == '\n')) {
    words.pop_back();
  }
  return words.empty() ? "system error " + std::to_string(code) : words;
}

}  // namespace qinstall
