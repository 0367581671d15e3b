# Sourced by tools/test.sh before the Wine tests. Wine's loader for 32-bit Windows programs is
# itself a 32-bit Linux program; a kernel without 32-bit support refuses it ("Exec format
# error"). There the tests cannot run the i686 build at all, so they run an x86_64 build of
# the same sources under wine64 instead, and say so. Elsewhere this changes nothing.
#   sets PARCELO_WIN_BIN (the Windows programs to test) and puts a `wine` first in PATH

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

if ! wine_said=$(wine --version 2>&1); then
  if [[ "$wine_said" != *"Exec format error"* ]]; then
    echo "FAIL: Wine does not start on this machine: $wine_said" >&2
    exit 1
  fi
  echo "!!! This kernel refuses 32-bit programs, Wine's loader for 32-bit Windows included."
  echo "!!! The Wine tests run an x86_64 build of the same sources under wine64 instead of"
  echo "!!! build/win32/bin, which is built but not run here."
  fallback_packages=(wine64 g++-mingw-w64-x86-64)
  if ! dpkg -s "${fallback_packages[@]}" >/dev/null 2>&1; then
    as_root env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${fallback_packages[@]}" </dev/null
  fi
  cmake -S . -B build/win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build build/win64 -j "$jobs"
  mkdir -p build/win64/wine-path
  printf '#!/bin/sh\nexport WINEARCH=win64\nexec /usr/lib/wine/wine64 "$@"\n' >build/win64/wine-path/wine
  chmod +x build/win64/wine-path/wine
  export PATH="$PWD/build/win64/wine-path:$PATH"
  export PARCELO_WIN_BIN="$PWD/build/win64/bin"
  wine_said=$(wine --version 2>&1) || { echo "FAIL: wine64 does not start either: $wine_said" >&2; exit 1; }
fi
