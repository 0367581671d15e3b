#!/usr/bin/env bash
# Join files as COMMAND.COM runs them: every line cut at 127 bytes before Wine's cmd, which
# would take longer ones whole, runs it. Written by the Windows build and by the Linux
# parcelo95 for 150 pieces and for a 200-character long name, they must still rebuild the
# source: under its long name where the REN line fits, else under its 8.3 name.
set -euo pipefail
cd "$(dirname "$0")/.."
source e2e/wine_session.sh
split_suite_start parcelo-doslines

check() {  # program(windows|linux) name pieces kept(long|short) [aliases]
  local program=$1 name=$2 pieces=$3 kept=$4 aliases=${5:-1}
  local dir="$work/$program-$RANDOM"
  local out="$dir/out" rebuilt="$dir/rebuilt"
  mkdir -p "$out" "$rebuilt"
  head -c $((pieces * 1000 - 500)) /dev/urandom >"$dir/$name"
  local status=0
  if [ "$program" = windows ]; then
    timeout 300 wine "$exe" split "$(winpath "$dir/$name")" "$(winpath "$out")" --size 1000 --yes \
      --set NoReminders=1 </dev/null >"$dir/log" 2>&1 || status=$?
  else
    PARCELO95_SHORT_NAMES=$aliases timeout 60 "$tool" split "$dir/$name" "$out" --size 1000 --yes \
      --set NoReminders=1 </dev/null >"$dir/log" 2>&1 || status=$?
  fi
  local what="${#name}-character name in $pieces pieces by the $program program (aliases $aliases)"
  if [ "$status" -ne 0 ]; then fail "$what: split failed"; cat "$dir/log"; return; fi
  local bat
  bat=$(cd "$out" && ls -- *.bat)
  if LC_ALL=C awk 'BEGIN { RS = "\r\n" } length($0) > 127 { bad = 1 } END { exit !bad }' "$out/$bat"; then
    fail "$what: a line over 127 bytes"; return
  fi
  cp "$out"/* "$rebuilt"/
  LC_ALL=C awk 'BEGIN { RS = "\r\n"; ORS = "\r\n" } { print substr($0, 1, 127) }' "$out/$bat" >"$rebuilt/$bat"
  (cd "$rebuilt" && timeout 300 wine cmd /c "$bat" </dev/null >"$dir/cmd.log" 2>&1) || true
  local made
  made=$(comm -13 <(ls "$out") <(ls "$rebuilt"))
  if [ "$(printf '%s\n' "$made" | wc -l)" -ne 1 ] || ! cmp -s "$dir/$name" "$rebuilt/$made"; then
    fail "$what: not rebuilt (new files: $made)"; echo "cmd said:"; cat "$dir/cmd.log"; return
  fi
  if [ "$kept" = long ] && [ "$made" != "$name" ]; then fail "$what: rebuilt as $made"; return; fi
  if [ "$kept" = short ] && [ ${#made} -gt 12 ]; then fail "$what: rebuilt as $made"; return; fi
  echo "ok: $what rebuilt as $made"
}

long200=$(printf 'Holiday Video %.0s' $(seq 1 15) | cut -c1-196).avi
check windows "Holiday Video.avi" 150 long
check windows "$long200" 3 short
check linux "Holiday Video.avi" 150 long
check linux "$long200" 3 short
check linux "Holiday Video.avi" 150 long 0
check linux "$long200" 3 short 0
[ "$failures" -eq 0 ]
