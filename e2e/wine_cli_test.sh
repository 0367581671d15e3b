#!/usr/bin/env bash
# The Windows build of parcelo95 under Wine, in a private prefix: its pieces and Join.bat,
# run by Wine's cmd, must rebuild the source byte for byte, and so must its own join.
set -euo pipefail
cd "$(dirname "$0")/.."
source e2e/wine_session.sh
exe="$bin/parcelo95-cli.exe"
work=$(mktemp -d /tmp/parcelo-wine-XXXXXX)
# Wine names Unix files in the locale's encoding: UTF-8, as the names here are written.
export LANG=C.UTF-8 LC_ALL=C.UTF-8
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
  (cd "$rebuilt" && timeout 120 wine cmd /c "${bat#./}" </dev/null >"$dir/cmd.log" 2>&1) || true
  if ! cmp -s "$dir/$name" "$rebuilt/$name"; then
    echo "FAIL: $name was not rebuilt by ${bat#./}"; ls "$rebuilt"; echo "cmd said:"; cat "$dir/cmd.log"
    failures=$((failures + 1)); return
  fi
  if [ "$del" = yes ] && ls "$rebuilt" | grep -q '\.[0-9][0-9]_$'; then
    echo "FAIL: intermediate files left beside $name"; failures=$((failures + 1)); return
  fi
  echo "ok: $name ($size bytes in pieces of $piece) rebuilt by Wine's cmd"
}

# parcelo95-cli.exe join in a folder whose name lies outside ASCII: it rebuilds the source
# from the pieces its split wrote, leaves no file of its own behind, and run again, where the
# source is now there under the name the join file's 8.3 alias stands for, refuses and
# writes nothing.
joined_by_the_program() {
  local dir="$work/join" folder="$work/join/Café €uro" log="$work/join.log"
  mkdir -p "$dir/out" "$folder"
  head -c 250000 /dev/urandom >"$dir/Holiday Video.avi"
  if ! timeout 120 wine "$exe" split "$(winpath "$dir/Holiday Video.avi")" "$(winpath "$dir/out")" \
      --size 100000 --yes >"$log" 2>&1; then
    echo "FAIL: split for the join"; cat "$log"; failures=$((failures + 1)); return
  fi
  cp "$dir"/out/* "$folder"/
  if ! timeout 120 wine "$exe" join "$(winpath "$folder")" </dev/null >"$log" 2>&1 ||
      ! cmp -s "$dir/Holiday Video.avi" "$folder/Holiday Video.avi"; then
    echo "FAIL: parcelo95-cli.exe join did not rebuild the source"; cat "$log"; ls "$folder"
    failures=$((failures + 1)); return
  fi
  if [ "$(ls "$folder" | wc -l)" -ne 6 ]; then  # 3 pieces, the checksum and join files, the source
    echo "FAIL: the join left other files"; ls -a "$folder"; failures=$((failures + 1)); return
  fi
  local before status=0
  before=$(ls -l --time-style=+%s.%N "$folder")
  timeout 120 wine "$exe" join "$(winpath "$folder")" </dev/null >"$log" 2>&1 || status=$?
  if [ "$status" -ne 1 ] || ! grep -q "already exists.*nothing was written" "$log" ||
      [ "$(ls -l --time-style=+%s.%N "$folder")" != "$before" ]; then
    echo "FAIL: a second join over the rebuilt source exited $status"; cat "$log"
    failures=$((failures + 1)); return
  fi
  echo "ok: parcelo95-cli.exe join rebuilds the source in a folder named outside ASCII, and refuses to again"
}

# A piece, a backup or the join file named like the source (in another case, too) is never
# written over it: the run says it cannot create that file and the source keeps its bytes.
untouched() {  # name dir expected-text log: the source intact, the message said
  local name=$1 dir=$2 text=$3 log=$4
  if ! cmp -s "$dir/$name" "$work/kept.$name"; then
    echo "FAIL: the source $name was changed"; failures=$((failures + 1)); return 1
  fi
  if ! grep -qF "$text" "$log"; then
    echo "FAIL: no \"$text\" for $name"; cat "$log"; failures=$((failures + 1)); return 1
  fi
}
source_named_like_outputs() {
  local dir="$work/alias" log="$work/alias.log"
  mkdir -p "$dir/out" "$dir/back"
  head -c 3000 /dev/urandom >"$dir/DATA.000"
  cp "$dir/DATA.000" "$work/kept.DATA.000"
  if timeout 120 wine "$exe" split "$(winpath "$dir/DATA.000")" "$(winpath "$dir")" --size 1000 \
      --yes >"$log" 2>&1; then
    echo "FAIL: a split over its own source succeeded"; failures=$((failures + 1))
  fi
  # Its join file would rebuild it onto its own piece: refused before the first is written,
  # wherever the pieces and backups go.
  local refused='"DATA.000" cannot be rebuilt under the name DATA.000'
  untouched DATA.000 "$dir" "$refused" "$log" &&
    echo "ok: a source named like its piece is refused"

  local upper
  upper=$(winpath "$dir" | tr '[:lower:]' '[:upper:]')
  if timeout 120 wine "$exe" split "$(winpath "$dir/DATA.000")" "$(winpath "$dir/out")" \
      --size 1000 --backup "$upper" --yes >"$log" 2>&1; then
    echo "FAIL: the split with a backup over its source succeeded"; failures=$((failures + 1))
  fi
  untouched DATA.000 "$dir" "$refused" "$log" && [ -z "$(ls "$dir/out")" ] &&
    [ "$(ls "$dir")" = "$(printf 'DATA.000\nback\nout')" ] &&
    echo "ok: so is one with its backups beside it (in capitals), and nothing is written"

  printf 'precious\r\n' >"$dir/out/join.bat"
  cp "$dir/out/join.bat" "$work/kept.join.bat"
  if timeout 120 wine "$exe" split "$(winpath "$dir/out/join.bat")" "$(winpath "$dir/out")" \
      --size 4 --yes --set UseLongJoinBatName=0 >"$log" 2>&1; then
    echo "FAIL: a join file over its own source succeeded"; failures=$((failures + 1))
  fi
  untouched join.bat "$dir/out" "Unable to write join file, drive may be full." "$log" &&
    echo "ok: a join file named like the source is refused"
}

# The progress line: not drawn with standard error in a file; on a terminal (`script`) the
# last state is drawn, and the line at most a few times a second, not once per piece.
progress_line() {
  local dir="$work/line"
  mkdir -p "$dir/out"
  head -c 3000000 /dev/urandom >"$dir/SRC.BIN"
  local split=(wine "$exe" split "$(winpath "$dir/SRC.BIN")" "$(winpath "$dir/out")" --size 20000 --yes)
  if ! timeout 120 "${split[@]}" >"$dir/out.log" 2>"$dir/err.log"; then
    echo "FAIL: split with standard error in a file"; cat "$dir/err.log"; failures=$((failures + 1)); return
  fi
  if grep -q -e 'Writing piece' -e 'Finished\.' -e $'\r' "$dir/err.log"; then
    echo "FAIL: a progress line in a file:"; cat -v "$dir/err.log"; failures=$((failures + 1)); return
  fi
  rm -f "$dir"/out/*
  local started ended
  started=$(date +%s%N)
  if ! timeout 120 script -qec "$(printf '%q ' "${split[@]}")" "$dir/typescript" </dev/null >/dev/null; then
    echo "FAIL: split on a terminal"; cat -v "$dir/typescript"; failures=$((failures + 1)); return
  fi
  ended=$(date +%s%N)
  local draws allowed
  draws=$( { grep -o 'MB/s' "$dir/typescript" || true; } | wc -l)
  allowed=$(( (ended - started) / 250000000 + 3 ))
  if ! grep -q 'Finished\. \[#\{30\}\] 100%' "$dir/typescript" || [ "$draws" -gt "$allowed" ]; then
    echo "FAIL: progress line on a terminal ($draws draws, at most $allowed):"; cat -v "$dir/typescript"
    failures=$((failures + 1)); return
  fi
  echo "ok: no progress line in a file; $draws draws of it on a terminal, the last one \"Finished.\""
}

# The checksum file of the Windows build: an 8.3 name beside the pieces, CR LF lines that
# Debian's cksfv accepts; verify and join check the pieces against it (and against a file
# that cksfv wrote), and a damaged piece stops the join before it writes anything.
checksums() {
  local dir="$work/sums" log="$work/sums.log" status=0
  mkdir -p "$dir/out"
  head -c 250000 /dev/urandom >"$dir/Holiday Video.avi"
  if ! timeout 120 wine "$exe" split "$(winpath "$dir/Holiday Video.avi")" "$(winpath "$dir/out")" \
      --size 100000 --yes --set NoReminders=1 >"$log" 2>&1; then
    echo "FAIL: split for the checksum file"; cat "$log"; failures=$((failures + 1)); return
  fi
  local sfv
  sfv=$(cd "$dir/out" && ls | grep -i '\.sfv$' || true)
  if [ "$(printf '%s\n' "$sfv" | grep -c .)" -ne 1 ] || [ ${#sfv} -gt 12 ] ||
      [ "$(grep -c $'\r$' "$dir/out/$sfv")" -ne "$(wc -l <"$dir/out/$sfv")" ]; then
    echo "FAIL: no one 8.3 checksum file with CR LF lines: $sfv"; ls "$dir/out"; failures=$((failures + 1)); return
  fi
  if command -v cksfv >/dev/null; then
    if ! (cd "$dir/out" && timeout 60 cksfv -q -f "$sfv") >"$log" 2>&1; then
      echo "FAIL: cksfv refuses $sfv"; cat "$log"; cat -A "$dir/out/$sfv"; failures=$((failures + 1)); return
    fi
    local pieces
    pieces=$(cd "$dir/out" && ls | grep -E '\.[0-9]{3}$')
    (cd "$dir/out" && timeout 60 cksfv $pieces >"$dir/peer.sfv") || true
    cp "$dir/peer.sfv" "$dir/out/peer.sfv"
    if ! timeout 120 wine "$exe" verify "$(winpath "$dir/out/peer.sfv")" >"$log" 2>&1 ||
        [ "$(grep -c ': OK' "$log")" -ne 3 ]; then
      echo "FAIL: verify of cksfv's file"; cat "$log"; failures=$((failures + 1)); return
    fi
    rm "$dir/out/peer.sfv"
  elif [ "${CI:-}" = true ]; then
    echo "FAIL: cksfv is not installed"; failures=$((failures + 1)); return
  else
    echo "skip: cksfv is not installed (Debian package cksfv)"
  fi
  if ! timeout 120 wine "$exe" verify "$(winpath "$dir/out")" >"$log" 2>&1 ||
      [ "$(grep -c ': OK' "$log")" -ne 3 ] || ! grep -q "All 3 pieces are right" "$log"; then
    echo "FAIL: verify of the split's own file"; cat "$log"; failures=$((failures + 1)); return
  fi
  mkdir -p "$dir/damaged"
  cp "$dir"/out/* "$dir/damaged"/
  local second
  second=$(cd "$dir/damaged" && ls | grep -E '\.001$')
  printf 'X' | dd of="$dir/damaged/$second" bs=1 seek=777 conv=notrunc 2>/dev/null
  local before
  before=$(ls -l --time-style=+%s.%N "$dir/damaged")
  timeout 120 wine "$exe" join "$(winpath "$dir/damaged")" </dev/null >"$log" 2>&1 || status=$?
  # The console's lines end in CR LF.
  if [ "$status" -ne 1 ] ||
      ! tr -d '\r' <"$log" | grep -q "^$second: CRC-32 0x[0-9A-F]\{8\}, expected 0x[0-9A-F]\{8\}; nothing was written.$" ||
      [ "$(ls -l --time-style=+%s.%N "$dir/damaged")" != "$before" ]; then
    echo "FAIL: join of a damaged piece exited $status"; cat "$log"; ls "$dir/damaged"; failures=$((failures + 1)); return
  fi
  if ! timeout 120 wine "$exe" join "$(winpath "$dir/out")" </dev/null >"$log" 2>&1 ||
      ! cmp -s "$dir/Holiday Video.avi" "$dir/out/Holiday Video.avi" || ! grep -q "match $sfv" "$log"; then
    echo "FAIL: join of the sound pieces"; cat "$log"; failures=$((failures + 1)); return
  fi
  mkdir -p "$dir/none"
  if ! timeout 120 wine "$exe" split "$(winpath "$dir/Holiday Video.avi")" "$(winpath "$dir/none")" \
      --size 100000 --yes --set NoReminders=1 --no-checksums >"$log" 2>&1 ||
      ls "$dir/none" | grep -qi '\.sfv$'; then
    echo "FAIL: --no-checksums"; cat "$log"; ls "$dir/none"; failures=$((failures + 1)); return
  fi
  echo "ok: $sfv beside the pieces, read by cksfv and by verify; a damaged piece stops the join"
}

# Its C++ library needs a Pentium Pro (tools/win9x/check_processor.py): the help says so.
processor_in_help() {
  if timeout 120 wine "$exe" --help 2>&1 | tr -d '\r' | tail -n 2 | diff - <(printf '%s\n' \
      "Needs a Pentium Pro, Pentium II or later processor (one with CMOV; not a 486, Pentium," \
      "Pentium MMX, K6 or 6x86), and Windows 98, or Windows 95 with msvcrt.dll."); then
    echo "ok: --help names the processor it needs"
  else
    echo "FAIL: --help does not name the processor it needs"; failures=$((failures + 1))
  fi
}

# Spanning onto a disk of 4 KiB blocks: the room on the last disk for the checksum file and
# the join file is counted in whole blocks, so a run that cannot end there asks for one more
# disk rather than failing after every piece is written.
last_disk_in_blocks() {
  local dir="$work/blocks" log="$work/blocks.log" status=0
  mkdir -p "$dir" "$floppy"
  if ! mount -t tmpfs -o size=40960 tmpfs "$floppy" 2>/dev/null; then
    echo "skipped: the last disk's room in blocks (a tmpfs needs root)"; return
  fi
  timeout 30 wine reg add 'HKLM\Software\Wine\Drives' /v a: /d floppy /f >/dev/null
  ln -sfn "$floppy" "$WINEPREFIX/dosdevices/a:"
  wine_session_restart  # drive types are read when the session starts
  head -c $((9 * 4096 - 500)) /dev/urandom >"$dir/SRC.DAT"
  timeout 120 wine "$exe" split "$(winpath "$dir/SRC.DAT")" 'A:\' --span --yes --set NoReminders=1 \
    </dev/null >"$log" 2>&1 || status=$?
  if [ "$status" -ne 1 ] || ! tr -d '\r' <"$log" | grep -qx "Not enough room for join file on disk." ||
      [ "$(ls "$floppy")" != SRC.000 ]; then
    echo "FAIL: the last disk's room in blocks (exit $status)"; cat "$log"; ls "$floppy"
    failures=$((failures + 1))
  else
    echo "ok: the last disk's room for the checksum and join files is counted in blocks"
  fi
  umount "$floppy"
}

# A source of more than 4 GiB: sparse, its first and last MiB random. parcelo95-cli.exe cuts
# it into pieces of 4 GiB - 1 bytes, as FAT32 holds them, and Wine's cmd rebuilds it with
# COPY /B byte for byte. Neither writes holes: the pieces and the rebuilt file take 8 GiB
# of the disk for a while, and go at once.
big_source() {
  local dir="$work/big" log="$work/big.log" size=$(( (4 << 30) + (2 << 20) ))
  local free
  free=$(df --output=avail -B1 "$work" | tail -n 1)
  if [ "$free" -lt $(( 10 << 30 )) ]; then
    echo "FAIL: the source over 4 GiB needs 10 GiB free in $work, $free bytes are"
    failures=$((failures + 1)); return
  fi
  mkdir -p "$dir/out"
  head -c $((1 << 20)) /dev/urandom >"$dir/Disk Image.iso"
  truncate -s $((size - (1 << 20))) "$dir/Disk Image.iso"
  head -c $((1 << 20)) /dev/urandom >>"$dir/Disk Image.iso"
  if ! timeout 1200 wine "$exe" split "$(winpath "$dir/Disk Image.iso")" "$(winpath "$dir/out")"       --preset fat32 --yes --set NoReminders=1 </dev/null >"$log" 2>&1; then
    echo "FAIL: split of a source over 4 GiB"; cat "$log"; ls -l "$dir/out"
    failures=$((failures + 1)); rm -rf "$dir"; return
  fi
  local sizes
  sizes=$(cd "$dir/out" && stat -c %s $(ls | grep -E '\.[0-9]{3}$') | tr '\n' ' ')
  if [ "$sizes" != "4294967295 2097153 " ] ||
      ! tr -d '\r' <"$dir"/out/*.SFV | grep -qx "; Size: $size bytes"; then
    echo "FAIL: the pieces of a source over 4 GiB: $sizes"; ls -l "$dir/out"
    failures=$((failures + 1)); rm -rf "$dir"; return
  fi
  (cd "$dir/out" && timeout 1200 wine cmd /c "Join-Disk Image.iso.bat" </dev/null >"$log" 2>&1) || true
  if ! cmp -s "$dir/Disk Image.iso" "$dir/out/Disk Image.iso"; then
    echo "FAIL: Wine's cmd did not rebuild the source over 4 GiB"; cat "$log"; ls -l "$dir/out"
    failures=$((failures + 1)); rm -rf "$dir"; return
  fi
  rm -rf "$dir"
  echo "ok: a source of $size bytes cut into pieces of 4 GiB - 1 and rebuilt by Wine's cmd"
}

# A pipe as the source: parcelo95-cli.exe reads it to its end (Wine hands the pipe's end over
# as a broken pipe), and Wine's cmd rebuilds the bytes under the name --name gave.
pipe_source() {
  local dir="$work/pipe" log="$work/pipe.log"
  mkdir -p "$dir/out"
  head -c 300000 /dev/urandom >"$dir/bytes"
  if ! (set -o pipefail; cat "$dir/bytes" | timeout 120 wine "$exe" split - "$(winpath "$dir/out")" \
      --name "Holiday Video.avi" --size 100000 --yes --set NoReminders=1 >"$log" 2>&1); then
    echo "FAIL: split of a pipe"; cat "$log"; failures=$((failures + 1)); return
  fi
  (cd "$dir/out" && timeout 120 wine cmd /c "Join-Holiday Video.avi.bat" </dev/null >"$log" 2>&1) || true
  if ! cmp -s "$dir/bytes" "$dir/out/Holiday Video.avi"; then
    echo "FAIL: the pipe's pieces were not rebuilt by Wine's cmd"; cat "$log"; ls -l "$dir/out"
    failures=$((failures + 1)); return
  fi
  echo "ok: a pipe split by parcelo95-cli.exe and rebuilt by Wine's cmd"
}

# --recovery 10 writes a PAR2 set that par2 accepts; with one piece of ten gone the
# program's own join rebuilds it from the set and the source comes back byte for byte.
recovery() {
  local dir="$work/recovery" log="$work/recovery.log"
  mkdir -p "$dir/out"
  head -c 1000000 /dev/urandom >"$dir/Holiday Video.avi"
  if ! timeout 300 wine "$exe" split "$(winpath "$dir/Holiday Video.avi")" "$(winpath "$dir/out")" \
      --size 100000 --recovery 10 --yes --set NoReminders=1 >"$log" 2>&1; then
    echo "FAIL: split with recovery files"; cat "$log"; failures=$((failures + 1)); return
  fi
  local index
  index=$(cd "$dir/out" && ls | grep -v '\.vol' | grep '\.par2$' || true)
  if [ "$(cd "$dir/out" && ls | grep -c '\.par2$')" -ne 8 ] || [ -z "$index" ]; then
    echo "FAIL: not an index file and 7 recovery files"; ls "$dir/out"; failures=$((failures + 1)); return
  fi
  if command -v par2 >/dev/null; then
    if ! (cd "$dir/out" && timeout 120 par2 verify -q "$index") >"$log" 2>&1; then
      echo "FAIL: par2 refuses $index"; cat "$log"; failures=$((failures + 1)); return
    fi
  elif [ "${CI:-}" = true ]; then
    echo "FAIL: par2 is not installed"; failures=$((failures + 1)); return
  fi
  cp "$dir/out/${index%.par2}.003" "$work/recovery.003"
  rm "$dir/out/${index%.par2}.003"
  if ! timeout 300 wine "$exe" join "$(winpath "$dir/out")" </dev/null >"$log" 2>&1 ||
      ! cmp -s "$dir/Holiday Video.avi" "$dir/out/Holiday Video.avi" ||
      ! grep -q "Repaired from the recovery files.*${index%.par2}.003" "$log"; then
    echo "FAIL: join did not repair the lost piece"; cat "$log"; ls -a "$dir/out"
    failures=$((failures + 1)); return
  fi
  # --repair puts a rebuilt damaged piece in the place of the one the repair was reading.
  local piece="$dir/out/${index%.par2}.005"
  mv "$work/recovery.003" "$dir/out/${index%.par2}.003"
  cp "$piece" "$work/recovery.piece"
  printf 'XXXX' | dd of="$piece" bs=1 seek=5000 conv=notrunc status=none
  rm "$dir/out/Holiday Video.avi"
  if ! timeout 300 wine "$exe" join "$(winpath "$dir/out")" --repair </dev/null >"$log" 2>&1 ||
      ! cmp -s "$dir/Holiday Video.avi" "$dir/out/Holiday Video.avi" ||
      ! cmp -s "$work/recovery.piece" "$piece" ||
      ! grep -q "written back: ${index%.par2}.005\." "$log"; then
    echo "FAIL: join --repair did not write the rebuilt pieces back"; cat "$log"; ls -a "$dir/out"
    failures=$((failures + 1)); return
  fi
  echo "ok: --recovery 10 writes a set par2 accepts, and join rebuilds a lost and a damaged piece from it"
}

wine_prefix_start "$work"
processor_in_help
check "Holiday Video.avi" 250000 100000 no
check "BIGFILE.DAT" 150000 1000 yes
joined_by_the_program
source_named_like_outputs
progress_line
checksums
recovery
last_disk_in_blocks
pipe_source
big_source
[ "$failures" -eq 0 ]
