#!/usr/bin/env bash
# The built qsdtool on the sample: pack gives the committed Install.qsd, check accepts it,
# dump --json gives the recorded dump, and a cut copy fails the check with status 1; paths
# relative to the current folder work as typed.
set -euo pipefail
tool=$1 installer=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$tool" pack "$installer/samples/Install.manifest" -o "$work/Install.qsd" >/dev/null
cmp "$work/Install.qsd" "$installer/samples/Install.qsd"
"$tool" check "$work/Install.qsd" >/dev/null
"$tool" dump --json "$work/Install.qsd" | diff - "$installer/tests/sample_dump.json"

head -c 100 "$work/Install.qsd" >"$work/cut.qsd"
status=0
"$tool" check "$work/cut.qsd" 2>/dev/null || status=$?
[ "$status" -eq 1 ] || { echo "check of a cut file exited $status, not 1"; exit 1; }
status=0
"$tool" 2>/dev/null || status=$?
[ "$status" -eq 2 ] || { echo "qsdtool without a command exited $status, not 2"; exit 1; }

# Relative paths that climb out of the current folder name what they name for the shell.
mkdir "$work/package" "$work/elsewhere"
cp "$installer/samples/Install.manifest" "$installer/samples"/*.txt "$installer/samples"/*.ini \
  "$work/package"/
(cd "$work/elsewhere" && "$tool" pack ../package/Install.manifest >/dev/null)
cmp "$work/package/Install.qsd" "$installer/samples/Install.qsd"
(cd "$work/elsewhere" && "$tool" check ../package/Install.qsd >/dev/null) ||
  { echo "check of ../package/Install.qsd failed"; exit 1; }
echo "qsdtool round trip of the sample: ok"
