#!/usr/bin/env bash
# Parcelo95.exe under Wine as a user meets it: start with a file on the command line, split
# it into three pieces, see the reminder and a fresh main dialog; Wine's cmd then rebuilds the
# file from the pieces and the join file.
set -euo pipefail
source "$(dirname "$0")/wine_session.sh"
work=$(mktemp -d /tmp/parcelo-gui-XXXXXX)
trap 'wine_session_stop; rm -rf "$work"' EXIT
wine_session_start "$work"

mkdir -p "$work/data" "$work/out" "$work/rebuilt"
source_file="$work/data/Field Notes.txt"
head -c 50000 /dev/urandom >"$source_file"

wine "$bin/Parcelo95.exe" "$(winpath "$source_file")" >"$work/app.log" 2>&1 &
app=$!
T=$'\t'
reminder='Done.\n\nTo recombine the splitted files, make sure each piece is in the\nsame directory along with the recombination batch file (named '"'"'join.bat'"'"' or '"'"'join-source filename.bat'"'"'),\nthen run (double-click) the join file.'
drive_session "window${T}Tavrin Parcelo 95${T}128
read${T}103${T}$(winpath "$source_file")
read${T}100${T}Size: 48.83 KB (50000 bytes)
select${T}115${T}0
text${T}106${T}20000
read${T}99${T}Num Pieces: 3
text${T}104${T}$(winpath "$work/out")"
shot main-dialog
drive_session "window${T}Tavrin Parcelo 95${T}128
click${T}128
box${T}Tavrin Parcelo 95${T}${reminder}${T}ok
window${T}Tavrin Parcelo 95${T}128
read${T}103${T}
read${T}106${T}
checked${T}114${T}1
close"
timeout 60 tail --pid="$app" -f /dev/null || { echo "FAIL: Parcelo95.exe did not end"; exit 1; }

ls "$work/out"
bat=$(cd "$work/out" && ls ./*.bat)
[ "${bat#./}" = "Join-Field Notes.txt.bat" ] || { echo "FAIL: join file is ${bat#./}"; exit 1; }
[ "$(ls "$work/out" | grep -c '\.00[0-2]$')" -eq 3 ] || { echo "FAIL: not three pieces"; exit 1; }
cp "$work/out"/* "$work/rebuilt/"
(cd "$work/rebuilt" && timeout 120 wine cmd /c "${bat#./}" >/dev/null 2>&1) || true
cmp "$source_file" "$work/rebuilt/Field Notes.txt"
echo "ok: Parcelo95.exe split a file into three pieces that Wine's cmd rebuilt"
