#!/usr/bin/env bash
# The Windows build of qsdtool under Wine, in a private prefix: it packs the sample into the
# committed Install.qsd, checks it, dumps the same JSON as the native build, and refuses a
# cut copy with status 1.
set -euo pipefail
cd "$(dirname "$0")/.."
source e2e/wine_session.sh
exe="$bin/qsdtool.exe"
samples="$PWD/installer/samples"
work=$(mktemp -d /tmp/qsdtool-wine-XXXXXX)
qsdtool() { timeout 120 wine "$exe" "$@"; }

wine_prefix_start "$work"
cp "$samples"/* "$work"/
rm "$work/Install.qsd"
qsdtool pack "$(winpath "$work/Install.manifest")" >"$work/pack.log" 2>&1 \
  || { echo "FAIL: pack"; cat "$work/pack.log"; exit 1; }
cmp "$work/Install.qsd" "$samples/Install.qsd" || { echo "FAIL: packed bytes differ"; exit 1; }
qsdtool check "$(winpath "$work/Install.qsd")" >/dev/null || { echo "FAIL: check"; exit 1; }
qsdtool dump --json "$(winpath "$work/Install.qsd")" | tr -d '\r' \
  | diff - installer/tests/sample_dump.json || { echo "FAIL: dump --json differs"; exit 1; }
head -c 100 "$work/Install.qsd" >"$work/cut.qsd"
status=0
qsdtool check "$(winpath "$work/cut.qsd")" >/dev/null 2>"$work/check.log" || status=$?
[ "$status" -eq 1 ] && grep -q "does not load: at byte 100" "$work/check.log" \
  || { echo "FAIL: check of a cut file exited $status"; cat "$work/check.log"; exit 1; }
echo "ok: qsdtool.exe packs, checks and dumps the sample under Wine"
