#!/usr/bin/env bash
# Join files of sources whose names hold blanks, commas, semicolons, equals and plus signs
# (and, opened through the shell, percent signs and ampersands),
# written by the Linux parcelo95 with its 8.3 aliases and with them turned off, must rebuild
# the source under Wine's cmd, delete only their own intermediate files, and leave a file
# named like the part of the name before the blank alone. A short name in lower case must
# come back exactly, not in the capitals of its 8.3 name.
set -euo pipefail
cd "$(dirname "$0")/.."
source e2e/wine_session.sh
split_suite_start parcelo-names

cases=0
check() {  # aliases(1|0) name pieces
  local aliases=$1 name=$2 pieces=$3
  cases=$((cases + 1))
  local dir="$work/case-$cases"
  local out="$dir/out" rebuilt="$dir/rebuilt" decoy=""
  case "$name" in *" "*) decoy="${name%% *}" ;; esac
  mkdir -p "$out" "$rebuilt"
  head -c $((pieces * 1000 - 500)) /dev/urandom >"$dir/$name"
  if ! PARCELO95_SHORT_NAMES=$aliases timeout 60 "$tool" split "$dir/$name" "$out" --size 1000 \
      --yes --set NoReminders=1 --set UseLongJoinBatName=0 >"$dir/log" 2>&1; then
    fail "split of '$name' (aliases $aliases)"; cat "$dir/log"; return
  fi
  cp "$out"/* "$rebuilt"/
  [ -z "$decoy" ] || echo "keep me" >"$rebuilt/$decoy"
  (cd "$rebuilt" && timeout 120 wine cmd /c Join.bat </dev/null >"$dir/cmd.log" 2>&1) || true
  local what="'$name' in $pieces pieces, aliases $aliases"
  if ! cmp -s "$dir/$name" "$rebuilt/$name"; then
    fail "$what was not rebuilt by Wine's cmd"; tr -d '\r' <"$out/Join.bat"; echo; ls "$rebuilt"
    echo "cmd said:"; cat "$dir/cmd.log"
    return
  fi
  if [ -n "$decoy" ] && [ "$(cat "$rebuilt/$decoy" 2>/dev/null)" != "keep me" ]; then
    fail "$what: the DEL line removed '$decoy'"; return
  fi
  if ls "$rebuilt" | grep -q '\.[0-9][0-9]_$'; then
    fail "$what: intermediate files left"; ls "$rebuilt"; return
  fi
  echo "ok: $what rebuilt by Wine's cmd"
}

# A name with "%" or "&" (both legal on Windows), rebuilt by its join file opened through
# the shell, as a double click opens it: the join file must write "%" as "%%" and quote
# "&", or cmd expands "%cent%" and runs what follows "&".
check_shell() {  # aliases(1|0) name
  local aliases=$1 name=$2
  local dir="$work/shell-$aliases-${#name}"
  local out="$dir/out" rebuilt="$dir/rebuilt" joinfile="Join-$name.bat"
  mkdir -p "$out" "$rebuilt"
  head -c 2500 /dev/urandom >"$dir/$name"
  if ! PARCELO95_SHORT_NAMES=$aliases timeout 60 "$tool" split "$dir/$name" "$out" --size 1000 \
      --yes --set NoReminders=1 >"$dir/log" 2>&1; then
    fail "split of '$name' (aliases $aliases)"; cat "$dir/log"; return
  fi
  cp "$out"/* "$rebuilt"/
  (cd "$rebuilt" && timeout 120 wine start /wait /unix "$rebuilt/$joinfile" </dev/null \
    >"$dir/start.log" 2>&1) || true
  local what="'$name', aliases $aliases, through the shell"
  if ! cmp -s "$dir/$name" "$rebuilt/$name"; then
    fail "$what was not rebuilt"; tr -d '\r' <"$out/$joinfile"; echo; ls "$rebuilt"
    echo "the shell said:"; cat "$dir/start.log"; return
  fi
  local left
  left=$(ls "$rebuilt" | wc -l)
  if [ "$left" -ne 6 ]; then  # three pieces, their checksum file, the join file, the source
    fail "$what: other files were made"; ls "$rebuilt"; return
  fi
  echo "ok: $what rebuilt"
}

for aliases in 1 0; do
  for name in "100%cent%.txt" "Tom & Jerry.avi"; do
    check_shell "$aliases" "$name"
  done
done
for aliases in 1 0; do
  for name in "Holiday Video.avi" "Tax 1998,final;v=2+copy.dat" "notes.txt" "naïve.bin"; do
    for pieces in 3 150; do
      check "$aliases" "$name" "$pieces"
    done
  done
done
[ "$failures" -eq 0 ]
