// libstdc++'s file buffers ask _fstat64 how much a file holds; msvcrt.dll gained it only with
// Windows ME and 2000, and a program importing it does not start on Windows 98. Its call goes
// to _fstati64 instead, which every msvcrt.dll has (64-bit size, 32-bit times).
// On x86_64 every msvcrt.dll has _fstat64, and _fstati64 takes 64-bit times there.
#if defined(__i386__)
#include <sys/stat.h>

#undef _fstati64
extern "C" __declspec(dllimport) int __cdecl _fstati64(int descriptor, struct _stat32i64* info);

namespace {

int __cdecl Fstat64OverFstati64(int descriptor, struct _stat64* info) {
  struct _stat32i64 found;
  const int result = _fstati64(descriptor, &found);
  if (result != 0) return result;
  info->st_dev = found.st_dev;
  info->st_ino = found.st_ino;
  info->st_mode = found.st_mode;
  info->st_nlink = found.st_nlink;
  info->st_uid = found.st_uid;
  info->st_gid = found.st_gid;
  info->st_rdev = found.st_rdev;
  info->st_size = found.st_size;
  info->st_atime = found.st_atime;
  info->st_mtime = found.st_mtime;
  info->st_ctime = found.st_ctime;
  return 0;
}

}  // namespace

// The import slot that callers compiled against msvcrt.dll's _fstat64 jump through.
int(__cdecl* fstat64Slot)(int, struct _stat64*) __asm__("__imp___fstat64") = Fstat64OverFstati64;
#endif
