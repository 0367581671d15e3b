# The scenarios of install_gui_test.sh, and the helpers they share. Each scenario runs in a
# subshell with errexit: the first failed check fails it.

T=$'\t'
app_pid=""
exit_file=""

s() { local IFS=$'\t'; printf '%s\n' "$*"; }

fail() { echo "FAIL: $*"; exit 1; }

# The version Wine reports from the next start: win31, win98, or "" for its default (NT).
set_windows_version() {
  if [ -n "$1" ]; then
    wine_logged "$work/version.log" timeout 30 wine reg add 'HKCU\Software\Wine' /v Version /d "$1" /f
  else
    timeout 30 wine reg delete 'HKCU\Software\Wine' /v Version /f >/dev/null 2>&1 || true
  fi
  wine_session_restart  # the version is read at start
}

# A folder holding a copy of Install.exe and the Uninstaller.exe it installs, and, unless
# "bare", the sample package.
install_folder() {
  local folder="$work/$1"
  rm -rf "$folder"; mkdir -p "$folder"
  cp "$bin/Install.exe" "$bin/Uninstaller.exe" "$folder/"
  [ "${2:-}" = bare ] || cp "$repo/installer/samples/"* "$folder/"
  echo "$folder"
}

# Starts Install.exe from FOLDER with CURRENT (default FOLDER) as its current folder.
start_install() {
  local folder=$1 current=${2:-$1}
  exit_file="$work/exit-$RANDOM"
  ( cd "$current" && wine "$folder/Install.exe" >>"$work/app.log" 2>&1; echo $? >"$exit_file" ) &
  app_pid=$!
}

# Waits for the program to end and checks its exit code is 0.
expect_ended() {
  [ -n "$app_pid" ] || return 0
  if ! timeout 30 tail --pid="$app_pid" -f /dev/null; then
    kill "$app_pid" 2>/dev/null; app_pid=""
    fail "Install.exe did not end"
  fi
  app_pid=""
  [ "$(cat "$exit_file")" = 0 ] || fail "Install.exe ended with $(cat "$exit_file")"
}

stop_app() {
  [ -n "$app_pid" ] || return 0
  timeout 30 tail --pid="$app_pid" -f /dev/null || kill "$app_pid" 2>/dev/null
  app_pid=""
}

sample_title="Install Tavrin Sample Notes"
data_file_message="Error accessing installation data file. File either doesn't exist or is currupted."

# --- scenarios ---------------------------------------------------------------------------

# Windows 3.x and the NT family are refused before the data file is looked at: started
# where there is none, only the platform's message comes.
platform_check() {
  local folder version message
  folder=$(install_folder platform bare)
  for version in win31 ""; do
    set_windows_version "$version"
    message="This program will not run under Windows NT."
    [ "$version" = win31 ] && message="This program will not run under Windows 3.x."
    start_install "$folder"
    drive_session "$(s box Error "$message" ok; s nobox 1500)"
    expect_ended
  done
  set_windows_version win98
  start_install "$folder"
  drive_session "$(s box Error "$data_file_message" ok; s nobox 1500)"
  expect_ended
}

# The package is looked for in the current folder only, never beside the program.
data_file_from_current_folder() {
  local folder elsewhere
  folder=$(install_folder beside)
  elsewhere=$(install_folder elsewhere bare)
  rm "$elsewhere/Install.exe"
  start_install "$folder" "$elsewhere"
  drive_session "$(s box Error "$data_file_message" ok; s nobox 1500)"
  expect_ended
  printf 'QSD\002' >"$elsewhere/Install.qsd"
  start_install "$folder" "$elsewhere"
  drive_session "$(s box Error "$data_file_message" ok)"
  expect_ended
}

# What the sample package shows, the check boxes' enabling, and Cancel.
install_dialog() {
  local folder
  folder=$(install_folder dialog)
  start_install "$folder"
  drive_session "$(
    s window "$sample_title" 109
    s read 109 'C:\Program Files\Sample Notes'
    s read 106 'Programs\Sample Notes'
    s checked 105 1; s enabled 105 1; s enabled 106 1; s enabled 101 1
    s checked 107 0; s enabled 107 1
    s click 105
    s checked 105 0; s enabled 106 0; s enabled 101 0
    s click 105
    s enabled 106 1; s enabled 101 1
    s click 2
    s gone "$sample_title")"
  expect_ended
  # The close box and Esc end it the same way.
  start_install "$folder"
  drive_session "$(s window "$sample_title" 109; s close; s gone "$sample_title")"
  expect_ended
  start_install "$folder"
  drive_session "$(s window "$sample_title" 109; s key 109 escape; s gone "$sample_title")"
  expect_ended
}

# A package whose shortcuts all go to the desktop offers no Start Menu choice.
desktop_only_package() {
  local folder
  folder=$(install_folder desktop bare)
  sed -e 's/placement = both/placement = desktop/' "$repo/installer/samples/Install.manifest" \
    >"$work/desktop.manifest"
  "$qsdtool" pack "$work/desktop.manifest" -o "$folder/Install.qsd" >/dev/null
  start_install "$folder"
  drive_session "$(
    s window "$sample_title" 109
    s checked 105 0; s enabled 105 0; s enabled 106 0; s enabled 101 0
    s enabled 107 1
    s click 2)"
  expect_ended
}

# Install (Enter, with no default button) hands over to the progress dialog, whose worker
# ends the run with its message.
install_run() {
  local folder
  folder=$(install_folder run)
  # Wine keeps its Start Menu with the user; the installer's is the Windows folder's.
  mkdir -p "$WINEPREFIX/drive_c/windows/Start Menu/Programs"
  start_install "$folder"
  drive_session "$(
    s window "$sample_title" 109
    s text 109 'C:\Sample Notes'
    s key 109 enter
    s window "Installing Tavrin Sample Notes" 102
    s box "Installation Complete" "Installation is now complete." none
    s read 100 "Done."
    s box "Installation Complete" "Installation is now complete." ok
    s gone "Installing Tavrin Sample Notes")"
  expect_ended
}

# A package of large files, so that a run lasts long enough to be interrupted.
large_package() {
  local folder=$1 i
  {
    printf '[product]\nname = Big Tool\ndestination = C:\\Big Tool\n[files]\n'
    for i in 1 2 3 4; do
      head -c 120000000 /dev/zero >"$folder/Big$i.bin"
      printf 'Big%s.bin\n' "$i"
    done
    printf '[start menu]\nfolder = Programs\\Big Tool\n'
  } >"$folder/Install.manifest"
  "$qsdtool" pack "$folder/Install.manifest" >/dev/null
}

# The close box while the worker copies: a cancel request, asked at the next check point;
# Yes takes back the run's work and the worker's own close ends the program.
close_during_run() {
  local folder
  folder=$(install_folder large bare)
  large_package "$folder"
  rm -rf "$WINEPREFIX/drive_c/Big Tool"
  start_install "$folder"
  drive_session "$(
    s window "Install Big Tool" 109
    s click 1
    s window "Installing Big Tool" 102
    s waittext 100 "Copying Files..."
    s close
    s box "Cancel Installation" "Are you sure you want to cancel the installation?" yes
    s gone "Installing Big Tool")"
  expect_ended
  [ ! -e "$WINEPREFIX/drive_c/Big Tool" ] || fail "the destination folder is still there"
}
