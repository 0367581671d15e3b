#!/usr/bin/env bash
# The Windows build of parcelo95 under Wine, in a private prefix: its pieces and Join.bat,
# run by Wine's cmd, must rebuild the source byte for byte.
set -euo pipefail
cd "$(dirname "$0")/.."
exe="${PARCELO_WIN_BIN:-$PWD/build/win32/bin}/parcelo95-cli.exe"
work=$(mktemp -d /tmp/parcelo-wine-XXXXXX)
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() { timeout 30 wineserver -k >/dev/null 2>&1 || true; rm -rf "$work"; }
trap cleanup EXIT
winpath() { echo "Z:${1//\//\\}"; }
failures=0

check() {  # name size piece-size expect-del
  local name=$1 size=$2 piece=$3 del=$4
  local dir="$work/$size" out="$work/$size/out" rebuilt="$work/$size/rebuilt"
  mkdir -p "$out" "$rebuilt"
  head -c "$size" /dev/urandom >"$dir/$name"
  if ! timeout 120 wine "$exe" split "$(winpath "$dir/$name")" "$(winpath "$out")" --size "$piece" --yes \
      >"$dir/log" 2>&1; then
    echo "FAIL: split of $name"; cat "$dir/log"; failures=$((failures + 1)); return
  fi
  local bat
  bat=$(cd "$out" && ls ./*.bat)
  cp "$out"/* "$rebuilt"/
  (cd "$rebuilt" && timeout 120 wine cmd /c "${bat#./}" >/dev/null 2>&1) || true
  if ! cmp -s "$dir/$name" "$rebuilt/$name"; then
    echo "FAIL: $name was not rebuilt by ${bat#./}"; ls "$rebuilt"; failures=$((failures + 1)); return
  fi
  if [ "$del" = yes ] && ls "$rebuilt" | grep -q '\.[0-9][0-9]_$'; then
    echo "FAIL: intermediate files left beside $name"; failures=$((failures + 1)); return
  fi
  echo "ok: $name ($size bytes in pieces of $piece) rebuilt by Wine's cmd"
}

timeout 180 wine cmd /c exit >/dev/null 2>&1 || true  # creates the prefix
check "Holiday Video.avi" 250000 100000 no
check "BIGFILE.DAT" 150000 1000 yes
[ "$failures" -eq 0 ]
