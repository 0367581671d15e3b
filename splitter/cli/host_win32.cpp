#include <windows.h>
#include <io.h>

#include "cli/host.h"
#include "platform/win32/win32_system.h"

namespace parcelo {

std::unique_ptr<System> MakeHostSystem() { return std::make_unique<Win32System>(); }

std::string ToDosPath(const std::string& hostPath) {
  char full[MAX_PATH];
  const DWORD length = GetFullPathNameA(hostPath.c_str(), MAX_PATH, full, nullptr);
  if (length == 0 || length >= MAX_PATH) return std::string();
  std::string dos(full, length);
  if (dos.size() > 3 && dos.back() == '\\') dos.pop_back();
  return dos;
}

bool ChooseOemCodePage(const std::string&, std::string*) { return true; }

std::string JoinTextToHost(const std::string& oem) {
  std::string text(oem.size(), '\0');
  if (!oem.empty()) OemToCharBuffA(oem.c_str(), &text[0], static_cast<DWORD>(oem.size()));
  return text;
}

bool StdinIsTerminal() { return _isatty(0) != 0; }
bool StderrIsTerminal() { return _isatty(2) != 0; }

}  // namespace parcelo
