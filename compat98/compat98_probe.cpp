// Calls what compat98 stands in for, the way libstdc++ and libgcc call it: a file buffer asks
// how much a file holds (_fstat64), opens a file by a wide name (_wfopen), and a mutex makes
// one thread wait while another holds it (CreateSemaphoreW). One line each; exit status 1
// when one comes out wrong. The test program of compat98, run under Wine; not shipped.
//   compat98_probe FILE SIZE     FILE named in the ANSI code page, SIZE its size in bytes
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <ext/concurrence.h>
#include <fstream>
#include <string>

namespace {

int failures = 0;

void Say(bool ok, const std::string& what) {
  std::printf("%s: %s\n", ok ? "ok" : "FAIL", what.c_str());
  if (!ok) ++failures;
}

// A fresh buffer has nothing read yet: what it says is there is the size the file reports.
std::streamsize Available(std::filebuf* buffer) {
  return buffer->is_open() ? buffer->in_avail() : -1;
}

// The mutex libstdc++ guards its own state with (this toolchain's threads have no std::mutex).
__gnu_cxx::__mutex shared;

DWORD WINAPI TakeShared(void*) {
  __gnu_cxx::__scoped_lock taken(shared);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: compat98_probe FILE SIZE\n");
    return 2;
  }
  const std::string path = argv[1];
  const std::streamsize size = std::atoll(argv[2]);

  std::filebuf byName;
  byName.open(path, std::ios::in | std::ios::binary);
  const std::streamsize seen = Available(&byName);
  Say(seen == size, "a file buffer finds the file's size: " + std::to_string(seen));

  wchar_t wide[MAX_PATH];
  std::filebuf byWideName;
  if (MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH) != 0) {
    byWideName.open(wide, std::ios::in | std::ios::binary);
  }
  Say(Available(&byWideName) == size, "a file buffer opens the file by its wide name");

  bool goesOn = false;
  shared.lock();
  DWORD id = 0;  // Windows 95 wants somewhere to put it
  const HANDLE thread = CreateThread(nullptr, 0, TakeShared, nullptr, 0, &id);
  Sleep(300);  // long enough for the thread to wait on the mutex's semaphore
  shared.unlock();
  if (thread != nullptr) {
    DWORD code = 1;
    goesOn = WaitForSingleObject(thread, 30000) == WAIT_OBJECT_0 &&
             GetExitCodeThread(thread, &code) && code == 0;
    CloseHandle(thread);
  }
  Say(goesOn, "a thread waiting for a held mutex goes on once it is released");
  return failures == 0 ? 0 : 1;
}
