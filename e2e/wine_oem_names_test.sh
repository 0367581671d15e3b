#!/usr/bin/env bash
# Sources whose names lie outside ASCII, split by the Windows build and by the Linux parcelo95:
# the join file, opened through the shell as a double click opens it, must rebuild the source
# under its exact long name, or, where the OEM code page cannot hold that name, under its
# 8.3 name with the join file saying so. Wine reads batch files in its OEM code page, 437 here.
set -euo pipefail
cd "$(dirname "$0")/.."
source e2e/wine_session.sh
split_suite_start parcelo-oem
keeps_short='ECHO.The rebuilt file keeps its 8.3 name: its long name cannot be given back here.'

check() {  # program(windows|linux) name kept(long|short)
  local program=$1 name=$2 kept=$3
  local dir="$work/$program-$RANDOM"
  local out="$dir/out" rebuilt="$dir/rebuilt"
  mkdir -p "$out" "$rebuilt"
  head -c 2500 /dev/urandom >"$dir/$name"
  local status=0
  if [ "$program" = windows ]; then
    timeout 120 wine "$exe" split "$(winpath "$dir/$name")" "$(winpath "$out")" --size 1000 --yes \
      --set NoReminders=1 </dev/null >"$dir/log" 2>&1 || status=$?
  else
    timeout 60 "$tool" split "$dir/$name" "$out" --size 1000 --yes --set NoReminders=1 \
      </dev/null >"$dir/log" 2>&1 || status=$?
  fi
  local what="'$name' split by the $program program"
  if [ "$status" -ne 0 ]; then fail "$what: split failed"; cat "$dir/log"; return; fi
  local bat
  bat=$(cd "$out" && ls -- *.bat)
  cp "$out"/* "$rebuilt"/
  (cd / && timeout 120 wine start /wait /unix "$rebuilt/$bat" </dev/null >"$dir/cmd.log" 2>&1) || true
  if [ "$kept" = long ]; then
    if ! cmp -s "$dir/$name" "$rebuilt/$name"; then
      fail "$what: not rebuilt under its long name"; ls "$rebuilt"; cat "$dir/cmd.log"; return
    fi
  else
    grep -qF "$keeps_short" "$out/$bat" || { fail "$what: the join file does not say the name stays short"; return; }
    grep -q "cannot give the rebuilt file its long name" "$dir/log" || { fail "$what: no warning"; return; }
    local made
    made=$(comm -13 <(ls "$out") <(ls "$rebuilt"))
    if [ "$(printf '%s\n' "$made" | wc -l)" -ne 1 ] || ! cmp -s "$dir/$name" "$rebuilt/$made"; then
      fail "$what: not rebuilt under its 8.3 name"; ls "$rebuilt"; cat "$dir/cmd.log"; return
    fi
  fi
  echo "ok: $what rebuilt under its $kept name ($(grep -a '^REN' "$out/$bat" | tr -d '\r' | iconv -f CP437 -t UTF-8 || echo 'no REN line'))"
}

for program in windows linux; do
  check "$program" "Übersicht Ärger.doc" long
  check "$program" "Café Crème.txt" long
  check "$program" "ÄÖÜßéàçñÿ" long
  # 8.3 but for its case: no REN that would change only the case, which Wine's cmd refuses.
  check "$program" "ÄÖÜßé" long
  check "$program" "notes.txt" long
  check "$program" "Smørrebrød.txt" short   # ø: in 850, not in 437
  check "$program" "€ Report.doc" short
  check "$program" "Zürich – Bern.txt" short
done
[ "$failures" -eq 0 ]
