# The scenarios of install_phases_test.sh and their helpers. Each scenario runs in a
# subshell with errexit: the first failed check fails it.

product="Tavrin Sample Notes"
progress_title="Installing $product"
key='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall'"\\$product"
drive_c="$WINEPREFIX/drive_c"
windows="$drive_c/windows"
menu="$windows/Start Menu/Programs/Sample Notes"
samples="$repo/installer/samples"
cancel_question="Are you sure you want to cancel the installation?"
install_pid=""

s() { local IFS=$'\t'; printf '%s\n' "$*"; }

fail() { echo "FAIL: $*"; exit 1; }

# A Windows 95 machine before the run: its Start Menu and Desktop folders, no product.
fresh_machine() {
  rm -rf "$windows/Start Menu" "$windows/Desktop" "$windows/Uninstaller.exe"
  mkdir -p "$windows/Start Menu/Programs" "$windows/Desktop"
  winreg_remove "$key"
}

# Install.exe, the sample package and an Uninstaller.exe in SETUP, the current folder.
stage_setup() {
  local setup=$1
  rm -rf "$setup"; mkdir -p "$setup"
  cp "$samples/Install.qsd" "$samples/Readme.txt" "$samples/Notes.txt" "$samples/Settings.ini" \
    "$bin/Install.exe" "$bin/Uninstaller.exe" "$setup/"
}

start_install() {
  (cd "$1" && exec timeout 180 wine Install.exe) >>"$work/install.log" 2>&1 &
  install_pid=$!
}

stop_install() {
  [ -n "$install_pid" ] || return 0
  timeout 60 tail --pid="$install_pid" -f /dev/null || kill "$install_pid" 2>/dev/null
  install_pid=""
}

expect_ended() {
  timeout 60 tail --pid="$install_pid" -f /dev/null || fail "Install.exe did not end"
  install_pid=""
}

# One value of the product's key; a 32-bit program on a 64-bit prefix writes the 32-bit view.
reg_value() {
  winreg query "$key" /v "$1" 2>/dev/null |
    tr -d '\r' | sed -n "s/^ *$1 *REG_SZ *//p"
}

reg_has_key() {
  winreg query "$key" >/dev/null 2>&1
}

# Every file below the given folders with its checksum, for before-and-after comparisons.
listing() {
  local folder
  for folder in "$@"; do
    [ -d "$folder" ] && (cd "$folder" && find . -print0 | sort -z | xargs -0 -I{} sh -c \
      'if [ -d "$1" ]; then echo "$1/"; else echo "$1 $(md5sum <"$1" | cut -c1-32)"; fi' _ {} |
      sed "s|^|$folder: |")
  done
}

is_shell_link() {  # a .lnk begins with its header size, 0x4C, and the link class id
  [ "$(head -c 8 "$1" | od -An -tx1 | tr -d ' \n')" = 4c00000001140200 ]
}

# --- scenarios ---------------------------------------------------------------------------

# The sample with both shortcut choices into the default destination; everything lands
# where it should and the record reads back as written.
install_sample() {
  fresh_machine
  local setup="$work/setup" dest="$drive_c/Program Files/Sample Notes" started elapsed overhead
  rm -rf "$dest"
  stage_setup "$setup"
  start_install "$setup"
  drive_session "$(
    s window "Install $product" 109
    s read 109 'C:\Program Files\Sample Notes'
    s click 107
    s checked 105 1
    s checked 107 1)"
  # The time to install, less what starting the driver and finding the dialog take.
  started=$(date +%s.%N)
  drive_session "$(s window "Install $product" 109)" >/dev/null
  overhead=$(echo "$(date +%s.%N) - $started" | bc)
  started=$(date +%s.%N)
  drive_session "$(
    s window "Install $product" 109
    s click 1
    s box "Installation Complete" "Installation is now complete." none)"
  elapsed=$(echo "$(date +%s.%N) - $started - $overhead" | bc)
  drive_session "$(s box "Installation Complete" "Installation is now complete." ok; s gone "$progress_title")"
  expect_ended
  echo "install time: ${elapsed} s from Install to the completion message (driver start-up of ${overhead} s taken off)"

  for file in Readme.txt Notes.txt Settings.ini; do
    cmp "$samples/$file" "$dest/$file" || fail "$file differs"
  done
  cmp "$setup/Uninstaller.exe" "$windows/Uninstaller.exe" || fail "no Uninstaller.exe in the Windows folder"
  is_shell_link "$menu/Read Me.lnk" || fail "no Start Menu link"
  is_shell_link "$windows/Desktop/Read Me.lnk" || fail "no desktop link Read Me.lnk"
  is_shell_link "$windows/Desktop/Sample Notes.lnk" || fail "no desktop link Sample Notes.lnk"
  [ ! -e "$menu/Sample Notes.lnk" ] || fail "a desktop-only link in the Start Menu"
  # The link's target and working folder are in the file as ANSI text.
  grep -aq 'Readme.txt' "$menu/Read Me.lnk" || fail "the Start Menu link does not name Readme.txt"

  [ "$(reg_value DisplayName)" = "$product" ] || fail "DisplayName is '$(reg_value DisplayName)'"
  [ "$(reg_value UninstallString)" = 'C:\windows\Uninstaller.exe C:\Program Files\Sample Notes\Uninstall.qsu' ] ||
    fail "UninstallString is '$(reg_value UninstallString)'"

  "$qsdtool" dump "$dest/Uninstall.qsu" --json >"$work/record.json" || fail "qsdtool cannot read the record"
  python3 - "$work/record.json" <<'PY' || fail "the record holds $(cat "$work/record.json")"
import json, sys
record = json.load(open(sys.argv[1]))
assert record["productName"] == "Tavrin Sample Notes", record
assert record["destinationFolder"] == "C:\\Program Files\\Sample Notes", record
assert record["format"] == "Uninstall.qsu", record
assert [f["name"] for f in record["files"]] == ["Readme.txt", "Notes.txt", "Settings.ini"], record
assert record["uninstallExtras"] == ["HKEY_CURRENT_USER\\Software\\Tavrin\\Sample Notes",
                                     "  Settings.ini  "], record
assert record["startMenuFolder"] == "C:\\windows\\Start Menu\\Programs\\Sample Notes", record
assert record["choices"] == 0, record
names = [(s["name"], s["placement"]) for s in record["shortcuts"]]
assert names == [("Read Me.lnk", 0), ("Sample Notes.lnk", 2)], names
PY
}

# Runs Install.exe into DEST (a C: path, DESTINATION as typed) with the choice steps given,
# asks for a cancel while FILE's overwrite question is open, then answers Yes to it and Yes
# to the cancel: the files and the registry must be as before the run.
cancel_during_overwrite() {
  local dest=$1 destination=$2 file=$3 before after
  shift 3
  stage_setup "$work/setup"
  before=$(listing "$dest" "$windows/Start Menu" "$windows/Desktop")
  start_install "$work/setup"
  drive_session "$(
    s window "Install $product" 109
    s text 109 "$destination"
    printf '%s\n' "$@"
    s click 1
    s box "File Already Exists" "File '$file' already exists. Overwrite?" none
    s window "$progress_title" 102
    s close
    s box "File Already Exists" "File '$file' already exists. Overwrite?" yes
    s box "Cancel Installation" "$cancel_question" yes
    s gone "$progress_title")"
  expect_ended
  after=$(listing "$dest" "$windows/Start Menu" "$windows/Desktop")
  [ "$before" = "$after" ] || fail "the machine changed: $(diff <(echo "$before") <(echo "$after"))"
  ! reg_has_key || fail "the uninstall key is there: $(winreg query "$key" | tr -d '\r')"
}

# The cancel confirmed at the check point before the next file, during the copy.
cancel_while_copying() {
  fresh_machine
  local dest="$drive_c/Kept Notes"
  rm -rf "$dest"; mkdir -p "$dest"
  echo "the user's own notes" >"$dest/Notes.txt"
  echo "not the package's" >"$dest/Mine.txt"
  cancel_during_overwrite "$dest" 'C:\Kept Notes' Notes.txt "$(s click 107)"
  [ ! -e "$windows/Uninstaller.exe" ] || fail "the uninstaller was copied before the cancel"
}

# No shortcuts chosen and the last file asked about, so the cancel is confirmed only after
# the registry and the record: the key this run made goes again, the record too.
cancel_after_the_record() {
  fresh_machine
  local dest="$drive_c/Kept Settings"
  rm -rf "$dest"; mkdir -p "$dest"
  echo "the user's own settings" >"$dest/Settings.ini"
  cancel_during_overwrite "$dest" 'C:\Kept Settings' Settings.ini \
    "$(s click 105; s checked 105 0; s checked 107 0)"
}

# The files a record lists, one a line.
record_files() {
  "$qsdtool" dump "$1" --json | python3 -c \
    'import json, sys; print("\n".join(f["name"] for f in json.load(sys.stdin)["files"]))'
}

# Runs Install.exe from SETUP into DESTINATION, answering the overwrite questions for the
# names given in order (name=yes|no), then ends at the completion message.
install_answering() {
  local setup=$1 destination=$2 answer steps
  shift 2
  steps=$(s window "Install $product" 109; s text 109 "$destination"; s click 1
          for answer in "$@"; do
            s box "File Already Exists" "File '${answer%=*}' already exists. Overwrite?" "${answer#*=}"
          done
          s box "Installation Complete" "Installation is now complete." ok
          s gone "$progress_title")
  start_install "$setup"
  drive_session "$steps"
  expect_ended
}

# An overwrite answered No keeps the user's file, and the record leaves it out, so that the
# uninstaller never deletes it. Installed again, a file the earlier installation put there
# and the user keeps is still the product's and stays listed; the user's own stays out.
overwrite_declined() {
  fresh_machine
  local setup="$work/setup" dest="$drive_c/Notes Again"
  rm -rf "$dest"; mkdir -p "$dest"
  echo "the user's own readme" >"$dest/Readme.txt"
  stage_setup "$setup"
  install_answering "$setup" 'C:\Notes Again' Readme.txt=no
  [ "$(cat "$dest/Readme.txt")" = "the user's own readme" ] || fail "the user's Readme.txt was replaced"
  cmp "$samples/Notes.txt" "$dest/Notes.txt" || fail "Notes.txt differs"
  [ "$(record_files "$dest/Uninstall.qsu" | tr '\n' ' ')" = "Notes.txt Settings.ini " ] ||
    fail "the record lists $(record_files "$dest/Uninstall.qsu" | tr '\n' ' ')"
  ls "$dest" | grep -q '^~QSI' && fail "a kept file is left: $(ls "$dest")"

  install_answering "$setup" 'C:\Notes Again' Readme.txt=no Notes.txt=no Settings.ini=no
  [ "$(cat "$dest/Readme.txt")" = "the user's own readme" ] || fail "the user's Readme.txt was replaced"
  [ "$(record_files "$dest/Uninstall.qsu" | tr '\n' ' ')" = "Notes.txt Settings.ini " ] ||
    fail "the second record lists $(record_files "$dest/Uninstall.qsu" | tr '\n' ' ')"
  [ "$(ls -A "$dest" | tr '\n' ' ')" = "Notes.txt Readme.txt Settings.ini Uninstall.qsu " ] ||
    fail "the destination holds $(ls -A "$dest")"
}

# The product's key was there before (an earlier installation, with a value of its own);
# a cancel confirmed at the end gives it back its DisplayName and UninstallString.
cancel_restores_earlier_entry() {
  fresh_machine
  local setup="$work/setup" dest="$drive_c/Notes Entry" before after
  rm -rf "$dest"; mkdir -p "$dest"
  echo "the user's own notes" >"$dest/Notes.txt"
  winreg add "$key" /v DisplayName /d "$product 0.9" /f >/dev/null
  winreg add "$key" /v UninstallString /d 'C:\windows\Uninstaller.exe C:\Old Notes\Uninstall.qsu' /f >/dev/null
  winreg add "$key" /v Publisher /d Tavrin /f >/dev/null
  before=$(winreg query "$key" | tr -d '\r' | sort)
  stage_setup "$setup"
  start_install "$setup"
  # The overwrite question holds the run while Cancel is pressed; then No at the two link
  # entries and the remaining file, and Yes after the record.
  drive_session "$(
    s window "Install $product" 109
    s text 109 'C:\Notes Entry'
    s click 1
    s box "File Already Exists" "File 'Notes.txt' already exists. Overwrite?" none
    s window "$progress_title" 102
    s close
    s box "File Already Exists" "File 'Notes.txt' already exists. Overwrite?" yes
    s box "Cancel Installation" "$cancel_question" no
    s box "Cancel Installation" "$cancel_question" no
    s box "Cancel Installation" "$cancel_question" no
    s box "Cancel Installation" "$cancel_question" yes
    s gone "$progress_title")"
  expect_ended
  after=$(winreg query "$key" | tr -d '\r' | sort)
  [ "$before" = "$after" ] || fail "the key changed: $(diff <(echo "$before") <(echo "$after"))"
  [ "$(cat "$dest/Notes.txt")" = "the user's own notes" ] || fail "the user's Notes.txt is not back"
  winreg_remove "$key"
}
