# Sourced by the Wine runner: the qemu-i386 that runs Wine's 32-bit half on a kernel that
# refuses 32-bit programs, built once into build/qemu from Debian's source of qemu with one
# change (per-thread-gdt.patch) and reused while the source and the patch stay the same.
#   qemu_i386_build    prints the path of that qemu-i386, building it first when needed
#
# Debian's qemu-i386 keeps one GDT for all the threads of a program, where the kernel keeps the
# TLS entries per thread. Wine's 32-bit threads all use one GDT selector for %fs (their TEB),
# each with its own base; after the newest thread sets its base, any other thread that
# reloads %fs or %gs gets the newest one's. A signal return reloads them, and Wine's server
# signals a thread whose asynchronous I/O ended before the thread waited for it. The thread
# then runs on with another thread's TEB and waits for ever (the open dialog's volume query).

qemu_i386_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
qemu_i386_tarball=qemu_7.2+dfsg.orig.tar.xz
qemu_i386_sha256=91aca71520040edc40b8d437aa3004dae614f58e286cf653ee8996c07af2962f

qemu_i386_mirror() {
  local uri
  uri=$(sed -n 's/^URIs: *\(http[^ ]*debian\)\/* *$/\1/p' /etc/apt/sources.list.d/*.sources 2>/dev/null | head -1)
  [ -n "$uri" ] || uri=$(sed -n 's/^deb \+\(http[^ ]*debian\)\/* .*/\1/p' /etc/apt/sources.list 2>/dev/null | head -1)
  echo "${uri:-http://deb.debian.org/debian}"
}

qemu_i386_build() {
  local out="$qemu_i386_dir/../../build/qemu" stamp src log
  out=$(mkdir -p "$out" && cd "$out" && pwd)
  stamp="$qemu_i386_sha256 $(sha256sum <"$qemu_i386_dir/per-thread-gdt.patch" | cut -d' ' -f1)"
  if [ -x "$out/qemu-i386" ] && [ "$(cat "$out/stamp" 2>/dev/null)" = "$stamp" ]; then
    echo "$out/qemu-i386"; return 0
  fi
  log="$out/build.log"
  echo "Building qemu-i386 with a GDT per thread into $out (once; its log: $log)" >&2
  apt_install_missing curl xz-utils patch meson ninja-build pkg-config libglib2.0-dev >&2 ||
    return 1
  rm -rf "$out/src" "$out/qemu-i386" "$out/stamp"
  mkdir -p "$out/src"
  if ! curl -fsS --retry 3 -o "$out/$qemu_i386_tarball" \
         "$(qemu_i386_mirror)/pool/main/q/qemu/$qemu_i386_tarball"; then
    echo "qemu's source ($qemu_i386_tarball) could not be downloaded" >&2; return 1
  fi
  if [ "$(sha256sum <"$out/$qemu_i386_tarball" | cut -d' ' -f1)" != "$qemu_i386_sha256" ]; then
    echo "$qemu_i386_tarball is not the one this patch was made for" >&2; return 1
  fi
  tar -xJf "$out/$qemu_i386_tarball" -C "$out/src" --strip-components=1 &&
    rm -f "$out/$qemu_i386_tarball" || return 1
  src="$out/src"
  (
    cd "$src" && patch -p1 -s <"$qemu_i386_dir/per-thread-gdt.patch" &&
    mkdir -p build && cd build &&
    ../configure --target-list=i386-linux-user --without-default-features --disable-docs \
      --disable-tools --disable-system --disable-install-blobs --disable-werror &&
    ninja -j "$(nproc)" qemu-i386
  ) >"$log" 2>&1 || { echo "qemu-i386 did not build; the end of $log:" >&2; tail -20 "$log" >&2; return 1; }
  cp "$src/build/qemu-i386" "$out/qemu-i386" && rm -rf "$src" && echo "$stamp" >"$out/stamp" ||
    return 1
  echo "$out/qemu-i386"
}
