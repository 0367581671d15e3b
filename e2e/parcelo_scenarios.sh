# The scenarios of parcelo_gui_test.sh, and the helpers they share. Each scenario runs in a
# subshell with errexit: the first failed check fails it.

T=$'\t'
title="Tavrin Parcelo 95"
key='HKLM\SOFTWARE\Tavrin Parcelo 95'
app_pid=""

# One driver step from its fields.
s() { local IFS=$'\t'; printf '%s\n' "$*"; }

fail() { echo "FAIL: $*"; exit 1; }

# The program starts in a folder on C:, as on a Windows machine, rather than in the
# repository on Z: (Wine's drive for the host's root file system), whose volume the open
# dialog would otherwise ask about first.
start_app() {
  mkdir -p "$WINEPREFIX/drive_c/My Documents"
  ( cd "$WINEPREFIX/drive_c/My Documents" && exec wine "$bin/Parcelo95.exe" "$@" ) >>"$work/app.log" 2>&1 &
  app_pid=$!
}

stop_app() {
  [ -n "$app_pid" ] || return 0
  if ! timeout 30 tail --pid="$app_pid" -f /dev/null; then
    echo "Parcelo95.exe did not end; stopping it"
    kill "$app_pid" 2>/dev/null
  fi
  app_pid=""
}

# Flags for the next start: "Name=0|1" ...; the key is made afresh.
set_flags() {
  winreg_remove "$key"
  local flag
  for flag in "$@"; do
    winreg add "$key" /v "${flag%=*}" /t REG_DWORD /d "${flag#*=}" /f >/dev/null
  done
}

flag_value() {  # the stored value of one flag, as reg shows it (0x0, 0x1)
  winreg query "$key" /v "$1" 2>/dev/null | tr -d '\r' |
    awk -v name="$1" 'index($0, name) { print $NF }'
}

new_folder() { rm -rf "$work/$1"; mkdir -p "$work/$1"; echo "$work/$1"; }

# Runs the join file of a folder with Wine's cmd in a copy of it; prints the copy's path.
rejoin() {
  local from=$1 copy bat
  copy=$(new_folder "rebuilt-$RANDOM")
  cp "$from"/* "$copy"/
  bat=$(cd "$copy" && ls -- *.bat | head -n 1)
  (cd "$copy" && timeout 120 wine cmd /c "$bat" </dev/null >"$copy.cmd.log" 2>&1) || true
  echo "$copy"
}

# Fails with MESSAGE and what cmd said unless FILE in a rejoined copy has ORIGINAL's bytes.
expect_rebuilt() {  # original file message
  cmp "$1" "$2" && return 0
  echo "cmd said:"; cat "$(dirname "$2").cmd.log" 2>/dev/null
  fail "$3"
}

reminder_sized='Done.\n\nTo recombine the splitted files, make sure each piece is in the\nsame directory along with the recombination batch file (named '"'"'join.bat'"'"' or '"'"'join-source filename.bat'"'"'),\nthen run (double-click) the join file.'
reminder_spanned='Done.\n\nTo recombine the splitted files, copy each piece from each disk\nalong with the recombination batch file (named '"'"'join.bat'"'"' or '"'"'join-source filename.bat'"'"') to a directory\non your hard disk, then run (double-click) the join file.'

# --- scenarios ---------------------------------------------------------------------------

first_start() {
  winreg_remove "$key"
  start_app
  drive_session "$(s window "$title" 128)"
  local name expected=(0 1 1 0 1 0 0 0) names=("Use DOS 8.3" UseLongJoinBatName BackupPrompt
    DeletePrompt CloseWhenDone NoReminders MoreMem AlwaysOnTop) i
  for i in "${!names[@]}"; do
    [ "$(flag_value "${names[$i]}")" = "0x${expected[$i]}" ] ||
      fail "${names[$i]} is $(flag_value "${names[$i]}") after the first start"
  done
  drive_session "$(
    s window "$title" 128
    s click 110
    s window Options 108
    s checked 108 0; s checked 111 1; s checked 129 1; s checked 119 0
    s checked 122 1; s checked 123 0; s checked 124 0; s checked 125 0
    s click 108; s click 124; s click 129
    s click 1
    s box Warning 'The "Use DOS 8.3 format" and "Use source filename with join filename" options conflict.\nDOS 8.3 filenames will be used.' ok
    s window "$title" 128
    s close)"
  stop_app
  expected=(1 1 0 0 1 0 1 0)
  for i in "${!names[@]}"; do
    [ "$(flag_value "${names[$i]}")" = "0x${expected[$i]}" ] ||
      fail "${names[$i]} is $(flag_value "${names[$i]}") after Options OK"
  done
  # The next start shows what was stored.
  start_app
  drive_session "$(
    s window "$title" 128
    s click 110
    s window Options 108
    s checked 108 1; s checked 129 0; s checked 124 1
    s click 2
    s window "$title" 128
    s close)"
}

# The source's Browse button brings up the system's open dialog (its library is loaded only
# then); Cancel leaves the main dialog as it was.
browse_source() {
  set_flags
  start_app
  drive_session "$(
    s window "$title" 128
    s click 105
    s window "Choose Source File" 2
    s click 2
    s gone "Choose Source File"
    s window "$title" 128
    s read 103 ''
    s close)"
  stop_app
}

sized_long_name() {
  set_flags
  local data out source_file
  data=$(new_folder data); out=$(new_folder out)
  source_file="$data/Field Notes 1998.txt"
  head -c 50000 /dev/urandom >"$source_file"
  start_app "$(winpath "$source_file")"
  drive_session "$(
    s window "$title" 128
    s read 103 "$(winpath "$source_file")"
    s read 100 "Size: 48.83 KB (50000 bytes)"
    s select 115 0
    s text 106 20000
    s read 99 "Num Pieces: 3"
    s text 104 "$(winpath "$out")")"
  drive_session "$(
    s window "$title" 128
    s click 128
    s box "$title" "$reminder_sized" ok
    s window "$title" 128
    s read 103 ""; s read 104 ""; s read 106 ""
    s checked 114 1
    s close)"
  stop_app
  local bat pieces
  bat=$(cd "$out" && ls -- *.bat)
  [ "$bat" = "Join-Field Notes 1998.txt.bat" ] || fail "join file is $bat"
  pieces=$(cd "$out" && ls -- *.00? | tr '\n' ' ')
  echo "pieces: $pieces"
  [ "$(echo "$pieces" | wc -w)" -eq 3 ] || fail "not three pieces"
  echo "$pieces" | grep -Eq '^[A-Z0-9~_]{1,8}\.000 ' || fail "pieces do not carry an 8.3 name"
  grep -q '^REN .*"Field Notes 1998.txt"' "$out/$bat" || fail "no REN line to the long name"
  expect_rebuilt "$source_file" "$(rejoin "$out")/Field Notes 1998.txt" "not rebuilt"
}

dos83_150_pieces() {
  set_flags "Use DOS 8.3=1"
  local data out copy longest
  data=$(new_folder data); out=$(new_folder out)
  head -c 150000 /dev/urandom >"$data/BIGFILE.DAT"
  split_in_dialog "$data/BIGFILE.DAT" 1000 "$out" "$(
    s box Warning 'Warning: 150 is quite a large amount of pieces. This may take a very long while.\nAre you sure you want to procede?' yes
    s box "$title" "$reminder_sized" ok)"
  [ -f "$out/Join.bat" ] || fail "no Join.bat: $(ls "$out" | tail -n 3)"
  # COMMAND.COM cuts batch lines at 127 bytes: the pieces are chained over many COPY lines
  # and each intermediate file is deleted by its own name.
  longest=$(tr -d '\r' <"$out/Join.bat" | LC_ALL=C awk '{ if (length($0) > m) m = length($0) } END { print m }')
  [ "$longest" -le 127 ] || fail "a line of $longest bytes"
  [ "$(grep -c '^COPY /B' "$out/Join.bat")" -gt 3 ] || fail "COPY lines not chained"
  grep -q '^DEL BIGFILE\.[0-9][0-9]_' "$out/Join.bat" || fail "no DEL line"
  ! grep -q '^DEL .*[?*]' "$out/Join.bat" || fail "a DEL line with a wildcard"
  copy=$(rejoin "$out")
  expect_rebuilt "$data/BIGFILE.DAT" "$copy/BIGFILE.DAT" "not rebuilt"
  ! ls "$copy" | grep -q '\.[0-9][0-9]_$' || fail "intermediate files left"
}

mount_floppy() {
  mkdir -p "$floppy"
  mountpoint -q "$floppy" && umount "$floppy"
  if ! mount -t tmpfs -o size=1457664 tmpfs "$floppy"; then
    echo "!!! cannot mount a 1,457,664-byte tmpfs for drive A: (needs root); spanning is untested"
    return 1
  fi
  timeout 30 wine reg add 'HKLM\Software\Wine\Drives' /v a: /d floppy /f >/dev/null
  ln -sfn "$floppy" "$WINEPREFIX/dosdevices/a:"
  wine_session_restart  # drive types are read at start
}

# Moves what the floppy holds into disks/N: the user takes the disk out and puts in a new one.
change_disk() { mkdir -p "$work/disks/$1"; mv "$floppy"/* "$work/disks/$1"/ 2>/dev/null || true; }

spanned_with_backups() {
  mount_floppy
  set_flags
  local data backup all copy
  data=$(new_folder data)
  backup="$WINEPREFIX/drive_c/Backup"; rm -rf "$backup" "$work/disks"; mkdir -p "$backup"
  head -c 3500000 /dev/urandom >"$data/TRIP.AVI"
  start_app "$(winpath "$data/TRIP.AVI")"
  drive_session "$(
    s window "$title" 128
    s click 116
    s text 104 'A:\'
    s click 128
    s box "Backup Pieces" 'Do you want to backup the pieces?\nThis is usefull in case one of the disks get damaged.' yes
    s window "Tavrin Parcelo 95 - Backup Pieces" 126)"
  drive_session "$(
    s window "Tavrin Parcelo 95 - Backup Pieces" 126
    s text 126 'C:\Backup'
    s click 1)"
  # Each question names the next disk; the disk in the drive is full by then.
  local disk=0 text log
  for _ in $(seq 1 10); do
    log=$(drive_session "$(s box "$title" '*' none)") || fail "no question came"
    text=$(echo "$log" | tr -d '\r' | sed -n 's/^box "[^"]*": "\(.*\)"$/\1/p' | tail -n 1)
    echo "asked: $text"
    if [ "$text" = "$reminder_spanned" ]; then
      drive_session "$(s box "$title" '*' ok)"
      break
    fi
    if [ "$disk" -gt 0 ]; then change_disk "$disk"; fi
    disk=$((disk + 1))
    drive_session "$(s box "$title" '*' ok)"
  done
  [ "$text" = "$reminder_spanned" ] || fail "the run did not finish"
  drive_session "$(s window "$title" 128; s close)"
  stop_app
  change_disk "$disk"
  echo "disks: $(ls "$work/disks" | tr '\n' ' '); last: $(ls "$work/disks/$disk" | tr '\n' ' ')"
  [ "$disk" -ge 3 ] || fail "3.5 MB fitted on $disk disks"
  ls "$work/disks/$disk" | grep -q '^Join-TRIP.AVI.bat$' || fail "join file not on the last disk"
  all=$(new_folder all)
  cp "$work"/disks/*/* "$all"/
  copy=$(rejoin "$all")
  expect_rebuilt "$data/TRIP.AVI" "$copy/TRIP.AVI" "pieces from the disks do not rebuild"
  copy=$(rejoin "$backup")
  expect_rebuilt "$data/TRIP.AVI" "$copy/TRIP.AVI" "backups do not rebuild"
}

refusals() {
  mountpoint -q "$floppy" || mount_floppy
  set_flags
  local data error=Error
  data=$(new_folder data)
  head -c 2000 /dev/urandom >"$data/SMALL.DAT"
  echo text >"$data/file.txt"
  start_app "$(winpath "$data/SMALL.DAT")"
  drive_session "$(
    s window "$title" 128
    s select 115 0
    s text 104 "$(winpath "$data")"
    s text 106 2000; s click 128
    s box $error "Splitting a file into only 1 piece is pointless." ok
    s text 106 1; s read 99 "Num Pieces: 2000"; s click 128
    s box $error "Split size is too small. Cannot split to more than 1,000 pieces." ok
    s text 106 0; s click 128
    s box $error "Split size must be greater than 0." ok
    s text 106 4294967296; s click 128
    s box $error "Split size is too big. It must be less than 4 GB." ok
    s text 106 12a
    s box $error 'Invalid character(s) found in split size.\nCharacters other than digits or decimal points (.) are invalid.' ok
    s click 128
    s box $error 'Invalid character(s) found in split size.\nCharacters other than digits or decimal points (.) are invalid.' ok
    s text 106 ' 12'
    s box $error "Spaces aren't allowed before or between digits." ok
    s text 106 500
    s text 104 'C:\NoSuchFolder'; s click 128
    s box $error "Destination folder not found." ok
    s text 104 "$(winpath "$data/file.txt")"; s click 128
    s box $error "Destination isn't a folder. Please enter a folder path." ok
    s text 104 "$(winpath "$data")"
    s text 103 'C:\NoSuchFile.dat'; s click 128
    s box $error "Source file not found." ok
    s text 103 "$(winpath "$data/SMALL.DAT")"
    s click 116
    s text 104 'C:\'; s click 128
    s box $error "Destination drive must be removable to span to it." ok
    s text 104 'A:\Folder'; s click 128
    s box $error "Source file cannot be spanned to a directory." ok
    s text 104 'A:\'; s click 128
    s box "Backup Pieces" '*' yes
    s window "Tavrin Parcelo 95 - Backup Pieces" 126
    s text 126 'Q:\Backup'; s click 1
    s box $error "Drive does not exist." ok
    s text 126 'C:\NoSuchDir'; s click 1
    s box $error "Directory not found." ok
    s text 126 'C:\windows\win.ini'; s click 1
    s box $error "Not a directory, directory must exist." ok
    s click 2
    s box "Are you sure?" "Are you sure you want to continue without backing up the pieces?" no
    s read 126 'C:\windows\win.ini'
    s click 2
    s box "Are you sure?" '*' yes
    s box "$title" "Insert disk for piece 1" cancel
    s window "$title" 128
    s read 103 "$(winpath "$data/SMALL.DAT")"
    s read 104 'A:\'; s checked 114 0; s checked 117 0; s checked 116 1; s enabled 106 0
    s close)"
  stop_app
  [ "$(ls "$data")" = "$(printf 'SMALL.DAT\nfile.txt')" ] || fail "something was written: $(ls "$data")"
  [ -z "$(ls "$floppy")" ] || fail "something was written to A:"
}

# Steps that start a split of the program's source into 1,024 KB pieces in DEST, answer the
# many-pieces question and wait for the progress dialog.
large_split_steps() {
  s window "$title" 128
  s select 115 1
  s text 106 1024
  s text 104 "$1"
  s click 128
  s box Warning '*' yes
  s window "Parcelo 95 Progress" 127
}

cancel_mid_run() {
  set_flags
  local data out how count
  data=$(new_folder data)
  head -c 1048576000 /dev/zero >"$data/LARGE.BIN"  # 1000 pieces of 1 MB
  local stop
  for how in button closebox; do
    if [ "$how" = button ]; then stop=$(s click 2); else stop=$(s close); fi
    out=$(new_folder "out-$how")
    start_app "$(winpath "$data/LARGE.BIN")"
    drive_session "$(
      large_split_steps "$(winpath "$out")"
      s waittext 101 "Writing piece"
      printf '%s\n' "$stop"
      s gone "Parcelo 95 Progress"
      s window "$title" 128
      s read 103 "$(winpath "$data/LARGE.BIN")"
      s read 104 "$(winpath "$out")"
      s read 106 1024
      s nobox 500
      s close)"
    stop_app
    count=$(ls "$out" | grep -c '\.[0-9][0-9][0-9]$' || true)
    echo "$how: $count pieces kept"
    [ "$count" -ge 1 ] && [ "$count" -lt 1000 ] || fail "$how: $count pieces"
    ! ls "$out" | grep -qi '\.bat$' || fail "$how: a join file was written"
  done
  rm -f "$data/LARGE.BIN"
}

delete_source() {
  set_flags DeletePrompt=1
  local data out
  data=$(new_folder data); out=$(new_folder out)
  head -c 30000 /dev/urandom >"$data/GONE.DAT"
  cp "$data/GONE.DAT" "$work/GONE.ORIG"
  split_to_delete_question "$data/GONE.DAT" "$out"
  [ -f "$out/Join-GONE.DAT.bat" ] || fail "asked before the join file was written"
  [ -f "$data/GONE.DAT" ] || fail "source deleted before the answer"
  drive_session "$(
    s box "$title" '*' yes
    s box "$title" "$reminder_sized" ok
    s window "$title" 128
    s close)"
  stop_app
  [ ! -e "$data/GONE.DAT" ] || fail "source still there"
  expect_rebuilt "$work/GONE.ORIG" "$(rejoin "$out")/GONE.DAT" "not rebuilt"
}

# The source grows while the deletion is asked: its pieces no longer hold it, and it stays.
delete_changed_source() {
  set_flags DeletePrompt=1
  local data out
  data=$(new_folder data); out=$(new_folder out)
  head -c 30000 /dev/urandom >"$data/GROWN.DAT"
  split_to_delete_question "$data/GROWN.DAT" "$out"
  head -c 50000 /dev/urandom >>"$data/GROWN.DAT"
  drive_session "$(
    s box "$title" '*' yes
    s box Error "The source file changed after it was split: the pieces do not hold it as it is now, so it has not been deleted." ok
    s box "$title" "$reminder_sized" ok
    s window "$title" 128
    s close)"
  stop_app
  [ "$(stat -c %s "$data/GROWN.DAT")" = 80000 ] || fail "the grown source was deleted"
}

# Splits SOURCE into pieces of SIZE bytes in DEST through the main dialog (no reminders);
# BOXES are the steps for what it shows after Split.
split_in_dialog() {  # source size dest boxes
  start_app "$(winpath "$1")"
  drive_session "$(
    s window "$title" 128
    s select 115 0
    s text 106 "$2"
    s text 104 "$(winpath "$3")"
    s click 128
    printf '%s\n' "$4"
    s window "$title" 128
    s close)"
  stop_app
}

# Splits SOURCE into 10,000-byte pieces in DEST through the main dialog and leaves the
# program asking whether to delete the source.
split_to_delete_question() {  # source dest
  start_app "$(winpath "$1")"
  drive_session "$(
    s window "$title" 128
    s select 115 0
    s text 106 10000
    s text 104 "$(winpath "$2")"
    s click 128
    s box "$title" "Finished splitting. Do you want to delete source file now?" none)"
}

listing() { (cd "$1" && md5sum -- *); }

# What a run settles before its first piece: a second run into the same names, another
# file reached through its 8.3 name, another source's pieces, a join file name too long.
claims_in_destination() {
  mountpoint -q "$floppy" || mount_floppy
  set_flags BackupPrompt=0 NoReminders=1
  local data out before short status name
  data=$(new_folder data)
  rm -rf "${floppy:?}"/*

  # Parcelo95.exe holds the names on A: while it asks for the first disk: the command line
  # into the same names fails at once and writes nothing.
  head -c 3000 /dev/urandom >"$data/TRIP.DAT"
  start_app "$(winpath "$data/TRIP.DAT")"
  drive_session "$(
    s window "$title" 128
    s click 116
    s text 104 'A:\'
    s click 128
    s box "$title" "Insert disk for piece 1" none)"
  status=0
  timeout 120 wine "$bin/parcelo95-cli.exe" split "$(winpath "$data/TRIP.DAT")" 'A:\' --span --yes \
    </dev/null >"$work/second.log" 2>&1 || status=$?
  [ "$status" -eq 1 ] || { cat "$work/second.log"; fail "the second run ended with $status"; }
  grep -qF 'Another split is writing "Join-TRIP.DAT.bat" in A:\ right now. Wait until it has finished, then split again.' \
    "$work/second.log" || { cat "$work/second.log"; fail "no lock message"; }
  [ -z "$(ls "$floppy")" ] || fail "the second run wrote to A: $(ls "$floppy")"
  drive_session "$(
    s box "$title" "Insert disk for piece 1" ok
    s window "$title" 128
    s close)"
  stop_app
  [ "$(ls "$floppy" | tr '\n' ' ')" = "Join-TRIP.DAT.bat TRIP.000 " ] || fail "A: holds $(ls "$floppy")"
  expect_rebuilt "$data/TRIP.DAT" "$(rejoin "$floppy")/TRIP.DAT" "the first run's pieces do not rebuild"

  # A piece whose name is another file's 8.3 name (Wine's for "Holiday Photos.000") is not
  # written into that file.
  out=$(new_folder out-alias)
  echo "the photos' first piece" >"$out/Holiday Photos.000"
  short=$(cd "$out" && timeout 60 wine cmd /c 'dir /x' </dev/null | tr -d '\r' |
    awk '/Holiday Photos.000$/ { print $(NF - 2) }')
  [ -n "$short" ] || fail "no 8.3 name for Holiday Photos.000"
  head -c 3000 /dev/urandom >"$data/${short%.000}.bin"
  split_in_dialog "$data/${short%.000}.bin" 1000 "$out" "$(
    s box Error "Error creating destination file.\nDrive may be full.\nReason: \"$short\" is the 8.3 name of another file, \"Holiday Photos.000\"." cancel)"
  [ "$(ls "$out")" = "Holiday Photos.000" ] || fail "written beside the photos: $(ls "$out")"
  [ "$(cat "$out/Holiday Photos.000")" = "the photos' first piece" ] || fail "the photos were written over"

  # X.DAT's pieces would be X.000, ... like those of X.BIN, whose join file is there.
  out=$(new_folder out-other)
  mkdir -p "$data/b"
  head -c 3000 /dev/urandom >"$data/X.BIN"
  head -c 3000 /dev/urandom >"$data/b/X.DAT"
  timeout 120 wine "$bin/parcelo95-cli.exe" split "$(winpath "$data/X.BIN")" "$(winpath "$out")" \
    --size 1000 --set NoReminders=1 </dev/null >"$work/x.log" 2>&1 || { cat "$work/x.log"; fail "X.BIN not split"; }
  before=$(listing "$out")
  split_in_dialog "$data/b/X.DAT" 1000 "$out" "$(
    s box Error "\"X.000\" in $(winpath "$out") belongs to \"Join-X.BIN.bat\", the join file of another file, and would be written over. Choose another destination folder, or move those files away first." ok)"
  [ "$(listing "$out")" = "$before" ] || fail "X.BIN's pieces changed"
  expect_rebuilt "$data/X.BIN" "$(rejoin "$out")/X.BIN" "X.BIN's pieces do not rebuild"

  # Join-<name>.bat would pass the 259 characters of a Windows path: Join-<8.3 name>.bat.
  out=$(new_folder out-long)
  name=$(head -c 220 /dev/zero | tr '\0' y).dat
  head -c 3000 /dev/urandom >"$data/$name"
  split_in_dialog "$data/$name" 1000 "$data" "$(s box Warning '*' ok)" >"$work/long.log"
  cat "$work/long.log"
  grep -qF "is too long for the join file's name and for DOS. The join file is named \"Join-" "$work/long.log" ||
    fail "no warning about the join file's name"
  local bat
  bat=$(cd "$data" && ls -- Join-*.bat)
  [[ "$bat" =~ ^Join-YYYY~[A-Z0-9]{3}\.DAT\.bat$ ]] || fail "the join file is $bat"
  cp "$data/${bat:5:8}".00? "$data/$bat" "$out"/
  expect_rebuilt "$data/$name" "$(rejoin "$out")/${bat:5:12}" "the long-named source is not rebuilt"
}
