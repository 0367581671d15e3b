# Sourced before the Wine tests: chooses how the Windows programs run and says so.
#   wine_runner_setup     sets PARCELO_WIN_BIN (the programs to test), PARCELO_WIN_BUILD (how
#                         they run, for the suites' output), PARCELO_REG_VIEW (the flag that
#                         makes `wine reg` see the programs' own registry view) and puts a
#                         `wine` first in PATH where the system's one would not do
#   wine_runner_release   takes back the binfmt handler, if this shell registered it
#
# Wine's loader for 32-bit programs is itself a 32-bit Linux program. A kernel without 32-bit
# support refuses it ("Exec format error"); there, qemu-i386 runs it through binfmt_misc, and
# a win64 prefix keeps Wine's own helpers native, so only the program under test is emulated.
# That qemu-i386 is built here with a GDT per thread (tools/qemu/qemu_i386.sh says why).
# Only where qemu cannot be had do the tests fall back to an x86_64 build of the same sources.

wine_runner_repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
wine_runner_registered=""
binfmt_dir=/proc/sys/fs/binfmt_misc
# One handler per checkout: a run that ends takes back only its own, and runs of other
# checkouts beside it go on through theirs.
binfmt_name=qemu-i386-gdt-$(printf '%s' "$wine_runner_repo" | cksum | cut -d' ' -f1)
# i386 ELF executables (type 2, machine 3), whatever their OS ABI byte says; the handler
# registered last is the one the kernel takes.
binfmt_magic=":M::\\x7fELF\\x01\\x01\\x01\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x02\\x00\\x03\\x00:\\xff\\xff\\xff\\xff\\xff\\xfe\\xfe\\x00\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xfe\\xff\\xff\\xff:"
# qemu's default top of guest memory collides with Wine's shared user data at 0x7ffe0000.
export QEMU_RESERVED_VA=0xffff0000

wine_runner_as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

source "$wine_runner_repo/tools/apt_install.sh"
source "$wine_runner_repo/tools/qemu/qemu_i386.sh"
wine_runner_install() { apt_install_missing "$@"; }

# A `wine` that starts programs through wine64 in a win64 prefix: 32-bit ones then run in its
# 32-bit half, through the binfmt handler.
wine_runner_wine64_path() {
  local dir="$wine_runner_repo/build/wine-path"
  mkdir -p "$dir"
  printf '#!/bin/sh\nexport WINEARCH=win64\nexec /usr/lib/wine/wine64 "$@"\n' >"$dir/wine"
  chmod +x "$dir/wine"
  export PATH="$dir:$PATH"
}

# Whether i386 programs reach this kernel only through a qemu handler (ours or the system's).
wine_runner_through_qemu() {
  local entry
  for entry in "$binfmt_dir"/*; do
    [ -f "$entry" ] && grep -qx enabled "$entry" 2>/dev/null || continue
    grep -q '^interpreter .*qemu-i386' "$entry" && return 0
  done
  return 1
}

# Registers the handler for the qemu-i386 built here, unless it is there already.
wine_runner_register_qemu() {
  local qemu
  qemu=$(qemu_i386_build) || return 1
  [ -e "$binfmt_dir/register" ] ||
    wine_runner_as_root mount -t binfmt_misc binfmt_misc "$binfmt_dir" 2>/dev/null || return 1
  grep -qx "interpreter $qemu" "$binfmt_dir/$binfmt_name" 2>/dev/null && return 0
  [ -e "$binfmt_dir/$binfmt_name" ] &&
    { echo -1 | wine_runner_as_root tee "$binfmt_dir/$binfmt_name" >/dev/null || return 1; }
  printf ':%s%s%s:PF' "$binfmt_name" "$binfmt_magic" "$qemu" |
    wine_runner_as_root tee "$binfmt_dir/register" >/dev/null || return 1
  wine_runner_registered=yes
}

wine_runner_release() {
  if [ "$wine_runner_registered" = yes ] && [ -e "$binfmt_dir/$binfmt_name" ]; then
    echo -1 | wine_runner_as_root tee "$binfmt_dir/$binfmt_name" >/dev/null || true
  fi
  wine_runner_registered=""
}

wine_runner_setup() {
  local said
  export PARCELO_WIN_BIN="$wine_runner_repo/build/win32/bin" PARCELO_REG_VIEW=""
  if said=$(/usr/lib/wine/wine --version 2>&1); then
    if wine_runner_through_qemu; then
      wine_runner_register_qemu || { echo "FAIL: no qemu-i386 with a GDT per thread" >&2; return 1; }
      wine_runner_wine64_path
      export PARCELO_WIN_BUILD="i686 under qemu-i386" PARCELO_REG_VIEW="/reg:32"
    else
      export PARCELO_WIN_BUILD="i686"
    fi
    return 0
  fi
  if [[ "$said" != *"Exec format error"* ]]; then
    echo "FAIL: Wine does not start on this machine: $said" >&2
    return 1
  fi
  echo "This kernel refuses 32-bit programs: Wine's 32-bit loader runs through qemu-i386."
  if wine_runner_install wine64 wine32-preloader:i386 && wine_runner_register_qemu &&
     said=$(/usr/lib/wine/wine --version 2>&1); then
    wine_runner_wine64_path
    export PARCELO_WIN_BUILD="i686 under qemu-i386" PARCELO_REG_VIEW="/reg:32"
    return 0
  fi
  wine_runner_release
  echo "!!! qemu-i386 cannot run Wine's 32-bit loader here ($said)."
  echo "!!! The Wine tests run an x86_64 stand-in build of the same sources instead of"
  echo "!!! build/win32/bin, which is built but not run."
  wine_runner_install wine64 g++-mingw-w64-x86-64 || return 1
  cmake -S "$wine_runner_repo" -B "$wine_runner_repo/build/win64" \
    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$wine_runner_repo/build/win64" -j 2 || return 1
  wine_runner_wine64_path
  export PARCELO_WIN_BIN="$wine_runner_repo/build/win64/bin" PARCELO_WIN_BUILD="x86_64 stand-in"
  said=$(wine --version 2>&1) || { echo "FAIL: wine64 does not start either: $said" >&2; return 1; }
}
