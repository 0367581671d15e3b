// The floor of a split on Linux: each piece created and filled by copy_file_range inside the
// kernel, nothing looked up, checked or summed. Not a tool: the bench's measure of what
// the kernel alone takes.
//   kernel_copy_floor SOURCE PIECE_BYTES PREFIX    (pieces PREFIX000, PREFIX001, ...)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: kernel_copy_floor SOURCE PIECE_BYTES PREFIX\n");
    return 2;
  }
  const int in = open(argv[1], O_RDONLY);
  struct stat info;
  if (in < 0 || fstat(in, &info) != 0) return 1;
  const off_t piece = std::strtoll(argv[2], nullptr, 10);
  off_t offset = 0;
  for (int n = 0; offset < info.st_size; ++n) {
    char name[4096];
    std::snprintf(name, sizeof name, "%s%03d", argv[3], n);
    const int out = open(name, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0) return 1;
    for (off_t left = piece; left > 0 && offset < info.st_size;) {
      const ssize_t moved = copy_file_range(in, &offset, out, nullptr, static_cast<size_t>(left), 0);
      if (moved <= 0) return 1;
      left -= moved;
    }
    close(out);
  }
  return 0;
}
