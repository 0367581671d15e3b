#!/usr/bin/env bash
# The Debian package of build/release: what it holds, and that `apt install ./FILE.deb`
# installs tools that split and join, with manual pages man finds, and `apt remove` takes
# every file away again. Installing needs root (or sudo); where the package is already
# installed from elsewhere, that part is left out rather than replace it.
#   bash e2e/deb_package_test.sh
set -uo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo -n "$@"; fi; }

deb=$(ls "$repo"/build/release/parcelo95_*.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || { echo "FAIL: no .deb in build/release: run bash tools/release.sh first"; exit 1; }
echo "package: $deb"

contents=$(dpkg-deb --contents "$deb" | awk '{print $NF}' | sed 's|^\./|/|' | grep -v '/$' | sort)
expected=$(printf '%s\n' /usr/bin/parcelo95 /usr/bin/qsdtool /usr/share/doc/parcelo95/README.md \
  /usr/share/man/man1/parcelo95.1.gz /usr/share/man/man1/qsdtool.1.gz | sort)
[ "$contents" = "$expected" ] || fail "the package holds:
$contents"
depends=$(dpkg-deb --field "$deb" Depends)
echo "Depends: $depends"
[[ "$depends" == *libc6* && "$depends" == *libstdc++6* ]] || fail "Depends lacks libc6 or libstdc++6"
[ "$(dpkg-deb --field "$deb" Package)" = parcelo95 ] || fail "the package is not named parcelo95"
file_name=$(basename "$deb")
[ "$file_name" = "parcelo95_$(dpkg-deb --field "$deb" Version)_$(dpkg-deb --field "$deb" Architecture).deb" ] ||
  fail "the file is named $file_name"

if dpkg -s parcelo95 >/dev/null 2>&1; then
  echo "!!! parcelo95 is installed already here: apt install and remove are not tried"
elif ! as_root true 2>/dev/null; then
  echo "!!! neither root nor sudo: apt install and remove are not tried"
else
  work=$(mktemp -d /tmp/deb-e2e-XXXXXX)
  trap 'rm -rf "$work"' EXIT
  lock=(-o DPkg::Lock::Timeout=300)  # another apt may be running on a shared machine
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${lock[@]}" "$deb" \
    </dev/null >"$work/install.log" 2>&1 || { cat "$work/install.log"; fail "apt install failed"; }
  if dpkg -s parcelo95 >/dev/null 2>&1; then
    [ "$(command -v parcelo95)" = /usr/bin/parcelo95 ] || fail "parcelo95 is not on PATH"
    [ "$(/usr/bin/parcelo95 --version)" = "parcelo95 $(dpkg-deb --field "$deb" Version)" ] ||
      fail "parcelo95 --version says $(/usr/bin/parcelo95 --version)"
    man -w parcelo95 >/dev/null 2>&1 && man -w qsdtool >/dev/null 2>&1 || fail "man finds no page"
    [ -n "$(MANWIDTH=80 man parcelo95 2>/dev/null | grep 'EXIT STATUS')" ] || fail "man parcelo95 shows no page"
    # The installed tool splits and joins, with its flags in a folder of the test's.
    head -c 70000 /dev/urandom >"$work/Field Notes.txt"
    mkdir "$work/pieces"
    XDG_CONFIG_HOME="$work/config" /usr/bin/parcelo95 split "$work/Field Notes.txt" \
      "$work/pieces" --size 30000 --yes >"$work/split.log" 2>&1 || fail "split failed: $(cat "$work/split.log")"
    XDG_CONFIG_HOME="$work/config" /usr/bin/parcelo95 join "$work/pieces" >"$work/join.log" 2>&1 ||
      fail "join failed: $(cat "$work/join.log")"
    cmp "$work/Field Notes.txt" "$work/pieces/Field Notes.txt" || fail "not rebuilt"
    /usr/bin/qsdtool check "$repo/installer/samples/Install.qsd" >/dev/null || fail "qsdtool check failed"
  else
    fail "apt install left no parcelo95 package"
  fi
  as_root env DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq "${lock[@]}" parcelo95 \
    </dev/null >"$work/remove.log" 2>&1 || { cat "$work/remove.log"; fail "apt remove failed"; }
  ! dpkg -s parcelo95 2>/dev/null | grep -q '^Status: install ok installed' ||
    fail "parcelo95 is still installed"
  for file in $expected; do [ ! -e "$file" ] || fail "$file is left after apt remove"; done
fi

if [ "$failures" -eq 0 ]; then echo "The package installs, works and goes again."; fi
[ "$failures" -eq 0 ]
