#!/usr/bin/env bash
# The Windows build of qsdtool under Wine, in a private prefix: it packs the sample into the
# committed Install.qsd, checks it, dumps the same JSON as the native build, and refuses a
# cut copy with status 1; in a folder named outside ASCII it packs and checks the same; it
# replaces an earlier package only whole, and refuses an output that is no regular file.
set -euo pipefail
cd "$(dirname "$0")/.."
source e2e/wine_session.sh
exe="$bin/qsdtool.exe"
samples="$PWD/installer/samples"
work=$(mktemp -d /tmp/qsdtool-wine-XXXXXX)
# Wine names Unix files in the locale's encoding: UTF-8, as the names here are written.
export LANG=C.UTF-8 LC_ALL=C.UTF-8
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

# Names outside ASCII reach the program in the ANSI code page, and its files keep them.
ansi="$work/Café €uro"
mkdir "$ansi"
cp "$samples"/* "$ansi"/
rm "$ansi/Install.qsd"
qsdtool pack "$(winpath "$ansi/Install.manifest")" >"$work/pack.log" 2>&1 \
  && cmp -s "$ansi/Install.qsd" "$samples/Install.qsd" \
  && qsdtool check "$(winpath "$ansi/Install.qsd")" >"$work/check.log" 2>&1 \
  || { echo "FAIL: pack and check in a folder named outside ASCII"; cat "$work"/*.log; ls "$ansi"; exit 1; }

# Packing over an earlier package replaces it whole and leaves no temporary file; an output
# that is a folder or a device is refused, and a failure names its reason in words.
printf 'an earlier package' >"$work/Install.qsd"
qsdtool pack "$(winpath "$work/Install.manifest")" >/dev/null 2>&1 || { echo "FAIL: pack over"; exit 1; }
cmp "$work/Install.qsd" "$samples/Install.qsd" || { echo "FAIL: the earlier package stayed"; exit 1; }
ls -A "$work" | grep -qi '\.tmp$' && { echo "FAIL: a temporary file is left: $(ls -A "$work")"; exit 1; }
mkdir "$work/folder"
expect_refusal() {  # OUTPUT, then the message expected (a pattern)
  local status=0 said
  said=$(qsdtool pack "$(winpath "$work/Install.manifest")" -o "$1" 2>&1 >/dev/null | tr -d '\r') ||
    status=$?
  [ "$status" -eq 1 ] && [[ "$said" == $2 ]] ||
    { echo "FAIL: pack -o $1 said '$said', not '$2'"; exit 1; }
}
literal() { sed 's/[][\\*?]/\\&/g' <<<"$1"; }  # text as a pattern that matches only it
expect_refusal "$(winpath "$work/folder")" "$(literal "qsdtool: $(winpath "$work/folder"): a folder, not a file")"
expect_refusal NUL "qsdtool: NUL: a device, not a file"
# The system's words for "path not found", whatever they are, and not its number.
expect_refusal "$(winpath "$work/none/Install.qsd")" \
  "$(literal "qsdtool: cannot write $(winpath "$work/none/Install.qsd")"): [A-Za-z]*[a-z]"
[ -z "$(ls -A "$work/folder")" ] && [ ! -e "$work/none" ] || { echo "FAIL: a refusal wrote"; exit 1; }
cmp "$work/Install.qsd" "$samples/Install.qsd" || { echo "FAIL: a refusal changed Install.qsd"; exit 1; }
# Its C++ library needs a Pentium Pro (tools/win9x/check_processor.py): the help says so.
qsdtool --help | tr -d '\r' | tail -n 2 | diff - <(printf '%s\n' "Needs a Pentium Pro, Pentium II or later processor (one with CMOV; not a 486, Pentium," \
  "Pentium MMX, K6 or 6x86), and Windows 98, or Windows 95 with msvcrt.dll.") ||
  { echo "FAIL: qsdtool.exe --help does not name the processor it needs"; exit 1; }
echo "ok: qsdtool.exe packs, checks and dumps the sample under Wine, also in a folder named outside ASCII, and keeps what it cannot replace"
