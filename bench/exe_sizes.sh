#!/usr/bin/env bash
# The size of each shipped Windows program, with its goal beside it: a package and its
# installer travel on one 1.44 MB floppy.
#   bash bench/exe_sizes.sh [BIN]    (default build/win32/bin)
set -euo pipefail
bin="${1:-$(dirname "$0")/../build/win32/bin}"
printf '%-16s %10s %10s\n' program bytes goal
status=0
for entry in Install.exe:65536 Uninstaller.exe:65536 Parcelo95.exe:98304; do
  exe=${entry%%:*} goal=${entry##*:}
  size=$(stat -c %s "$bin/$exe")
  mark=""
  if [ "$size" -gt "$goal" ]; then mark="  over"; status=1; fi
  printf '%-16s %10d %10d%s\n' "$exe" "$size" "$goal" "$mark"
done
exit "$status"
