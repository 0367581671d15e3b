#!/usr/bin/env bash
# Installs what the build needs (Debian), then builds the native and the Windows targets.
set -euo pipefail
cd "$(dirname "$0")/.."

source tools/apt_install.sh

packages=(cmake g++ make libgtest-dev libcli11-dev g++-mingw-w64-i686 mingw-w64-tools wine wine32 xvfb)
packages+=(clang libclang-rt-dev)  # the installer's libFuzzer targets
packages+=(python3)  # the Windows programs' import check (tools/win9x)
packages+=(cksfv)  # the peer that reads and writes checksum files like parcelo95's
packages+=(mtools zip unzip dpkg-dev man-db)  # the releases: floppy image, zip, .deb, man pages
packages+=(par2)  # the peer that reads and writes recovery files like parcelo95's
apt_install_missing "${packages[@]}"

jobs=2  # the machine is shared
cmake -S . -B build/native -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/native -j "$jobs"
cmake -S . -B build/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/win32 -j "$jobs"
