# The scenarios of install_uninstall_test.sh and their helpers: Uninstall.qsu records made
# by hand for the uninstaller's refusals and reports, and the sample package installed with
# Install.exe and removed the way a user removes a program. Each scenario runs in a
# subshell with errexit: the first failed check fails it.

product="Tavrin Sample Notes"
uninstall_key='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall'
extras_key='HKCU\Software\Tavrin\Sample Notes'
drive_c="$WINEPREFIX/drive_c"
windows="$drive_c/windows"
samples="$repo/installer/samples"

# One driver step from its fields.
s() { local IFS=$'\t'; printf '%s\n' "$*"; }

fail() { echo "FAIL: $*"; exit 1; }

# The folders an installer expects in the Windows folder of a Windows 95 system; with
# "uninstaller", also the copy of Uninstaller.exe an earlier install left there.
prepare_windows() {
  mkdir -p "$windows/Start Menu/Programs" "$windows/Desktop"
  rm -f "$windows/Uninstaller.exe"
  [ "${1:-}" != uninstaller ] || cp "$bin/Uninstaller.exe" "$windows/Uninstaller.exe"
}

# A key in the registry view the programs under test see.
reg_has() {
  winreg query "$1" >/dev/null 2>&1
}

# The UninstallString value of a product, as the system stores it.
uninstall_string() {
  winreg query "$uninstall_key\\$1" /v UninstallString 2>/dev/null |
    tr -d '\r' | sed -n 's/^ *UninstallString *REG_SZ *//p'
}

# Registers a product for removal as the installer does: NAME COMMAND.
register_product() {
  winreg add "$uninstall_key\\$1" /v DisplayName /d "$1" /f >/dev/null
  winreg add "$uninstall_key\\$1" /v UninstallString /d "$2" /f >/dev/null
}

# Writes an uninstall record: FILE PRODUCT DESTINATION STARTMENU CHOICES, then lists given as
# "files=a|b" "extras=x|y" "shortcuts=Name.lnk:0|Other.lnk:2" (empty lists may be left out).
write_record() {
  local file=$1 product=$2 destination=$3 start_menu=$4 choices=$5 arg
  local -A lists=()
  shift 5
  for arg in "$@"; do lists[${arg%%=*}]=${arg#*=}; done
  u16() { printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $(($1 >> 8)))"; }
  text() { printf '%s\0' "$1"; }
  list() {  # the count, then each item as a string
    local -a items=()
    [ -z "${lists[$1]:-}" ] || IFS='|' read -r -a items <<<"${lists[$1]}"
    u16 "${#items[@]}"
    local item
    for item in "${items[@]}"; do
      if [ "$1" = shortcuts ]; then
        text "${item%:*}"; printf "\\x$(printf %02x "${item##*:}")"
      else
        text "$item"
      fi
    done
  }
  {
    printf 'QSU\x01'; text "$product"; list extras; text "$destination"; list files
    text "$start_menu"; printf "\\x$(printf %02x "$choices")"; list shortcuts
  } >"$file"
}

# Removes a product through the system's list of programs, as Add/Remove Programs does:
# Wine's uninstaller runs its UninstallString. STEPS drive the dialogs meanwhile.
remove_product() {
  local name=$1 steps=$2 pid
  timeout 120 wine uninstaller --remove "$name" >>"$work/uninstaller.log" 2>&1 &
  pid=$!
  drive_session "$steps" || { kill "$pid" 2>/dev/null; fail "driving the removal of $name"; }
  timeout 60 tail --pid="$pid" -f /dev/null || fail "the removal of $name did not end"
}

listed() { timeout 30 wine uninstaller --list 2>/dev/null | tr -d '\r' | grep -Fxq "$1|||$1"; }

confirm_removal() {
  s box "Tavrin Uninstaller" "Are you sure you want to remove $1 and all of its components?" yes
}

# --- what Uninstaller.exe refuses and reports, on records made by hand ---------------------

refuses_hostile_record() {
  prepare_windows uninstaller
  mkdir -p "$drive_c/Victim" "$drive_c/Evil"
  echo "keep me" >"$drive_c/Victim/keep.txt"
  write_record "$drive_c/Evil/Uninstall.qsu" "Evil Product" 'C:\Evil' \
    'C:\windows\Start Menu\Programs\Evil' 3 'files=..\Victim\keep.txt'
  register_product "Evil Product" 'C:\windows\Uninstaller.exe C:\Evil\Uninstall.qsu'
  remove_product "Evil Product" "$(
    s box Error "The uninstall record 'C:\\Evil\\Uninstall.qsu' cannot be used: the file name '..\\Victim\\keep.txt' climbs out of its folder with '..'.\\n\\nNothing was removed." ok)"
  [ -f "$drive_c/Victim/keep.txt" ] || fail "the victim's file is gone"
  [ -f "$drive_c/Evil/Uninstall.qsu" ] || fail "the refused record is gone"
  reg_has "$uninstall_key\\Evil Product" || fail "the refused product's key is gone"
  winreg_remove "$uninstall_key\\Evil Product"
}

names_a_missing_record() {
  prepare_windows uninstaller
  register_product "Gone Product" 'C:\windows\Uninstaller.exe C:\Gone Away\Uninstall.qsu'
  listed "Gone Product" || fail "Gone Product is not in the list of programs"
  remove_product "Gone Product" "$(
    s box Error "The uninstall record 'C:\\Gone Away\\Uninstall.qsu' does not exist. The program may have been removed already." ok)"
  winreg_remove "$uninstall_key\\Gone Product"
}

# A read-only file is reported, and the record and key stay for the next try, which then
# completes; the path of the hand-made install holds blanks.
reports_read_only_then_retries() {
  prepare_windows uninstaller
  local dest="$drive_c/Hand Made/Notes App" name="Hand Made Notes"
  mkdir -p "$dest"
  echo a >"$dest/a.txt"; echo b >"$dest/b.txt"
  chmod a-w "$dest/b.txt"  # how Wine shows the read-only mark
  write_record "$dest/Uninstall.qsu" "$name" 'C:\Hand Made\Notes App' \
    'C:\windows\Start Menu\Programs\Hand Made' 3 'files=a.txt|b.txt' \
    'extras=HKEY_CURRENT_USER\Software\Hand Made\Notes|Cache\index.dat'
  mkdir -p "$dest/Cache"; echo i >"$dest/Cache/index.dat"
  # Keys the program made while it ran, one with a subkey, beside one it did not make.
  timeout 30 wine reg add 'HKCU\Software\Hand Made\Notes\Window' /v Top /t REG_DWORD /d 1 /f >/dev/null
  timeout 30 wine reg add 'HKCU\Software\Hand Made\Other' /v Kept /d yes /f >/dev/null
  register_product "$name" 'C:\windows\Uninstaller.exe C:\Hand Made\Notes App\Uninstall.qsu'
  remove_product "$name" "$(
    confirm_removal "$name"
    s box Warning "$name could not be removed completely. These items are left:\\n\\nC:\\Hand Made\\Notes App\\b.txt: it is read-only\\n\\nClose any program that uses them and clear their read-only mark, then remove $name again." ok)"
  [ ! -e "$dest/a.txt" ] || fail "a.txt was not removed"
  [ -f "$dest/b.txt" ] && [ -f "$dest/Uninstall.qsu" ] || fail "the read-only file or the record went"
  listed "$name" || fail "$name left the list of programs with a file left behind"
  ! reg_has 'HKCU\Software\Hand Made\Notes' || fail "the key an extra names is left"
  reg_has 'HKCU\Software\Hand Made\Other' || fail "a key no extra names went"
  [ ! -e "$dest/Cache/index.dat" ] || fail "the file an extra names is left"
  chmod u+w "$dest/b.txt"
  rmdir "$dest/Cache"  # a folder the program made stays (no extra can name a folder)
  remove_product "$name" "$(
    confirm_removal "$name"
    s box "Tavrin Uninstaller" "$name was successfully removed from your computer." ok)"
  [ ! -e "$dest" ] || fail "the destination folder is left: $(ls -A "$dest")"
  [ -d "$drive_c/Hand Made" ] || fail "the folder above the destination went"
  ! reg_has "$uninstall_key\\$name" || fail "the key of $name is left"
}

# --- the sample package, installed by Install.exe and removed through the system ----------

# Copies the installer, the uninstaller and the sample package into SETUP (a Unix folder).
stage_setup() {
  local setup=$1
  rm -rf "$setup"; mkdir -p "$setup"
  cp "$samples/Install.qsd" "$samples/Readme.txt" "$samples/Notes.txt" "$samples/Settings.ini" \
    "$bin/Install.exe" "$bin/Uninstaller.exe" "$setup/"
}

# Runs Install.exe from SETUP into DESTINATION (a DOS path), both shortcut choices on.
install_sample() {
  local setup=$1 destination=$2 pid
  (cd "$setup" && exec timeout 180 wine Install.exe) >>"$work/install.log" 2>&1 &
  pid=$!
  drive_session "$(
    s window "Install $product" 109
    s text 109 "$destination"
    s click 107
    s checked 105 1
    s checked 107 1
    s click 1
    s box "Installation Complete" "Installation is now complete." ok)" ||
    { kill "$pid" 2>/dev/null; fail "driving Install.exe"; }
  timeout 60 tail --pid="$pid" -f /dev/null || fail "Install.exe did not end"
}

# What the sample leaves once installed: files, record, links, registry entry.
check_installed() {
  local dest=$1
  for file in Readme.txt Notes.txt Settings.ini Uninstall.qsu; do
    [ -f "$dest/$file" ] || fail "$file was not installed"
  done
  [ -f "$windows/Start Menu/Programs/Sample Notes/Read Me.lnk" ] || fail "no Start Menu link"
  [ -f "$windows/Desktop/Read Me.lnk" ] && [ -f "$windows/Desktop/Sample Notes.lnk" ] ||
    fail "no desktop links"
  [ -f "$windows/Uninstaller.exe" ] || fail "no Uninstaller.exe in the Windows folder"
  listed "$product" || fail "$product is not in the list of programs"
}

# Nothing of the product is left; the shared uninstaller stays.
check_removed() {
  local dest=$1
  for file in Readme.txt Notes.txt Settings.ini Uninstall.qsu; do
    [ ! -e "$dest/$file" ] || fail "$file is left"
  done
  [ ! -e "$windows/Desktop/Read Me.lnk" ] && [ ! -e "$windows/Desktop/Sample Notes.lnk" ] ||
    fail "a desktop link is left"
  [ ! -e "$windows/Start Menu/Programs/Sample Notes/Read Me.lnk" ] || fail "the Start Menu link is left"
  ! reg_has "$uninstall_key\\$product" || fail "the uninstall key is left"
  ! reg_has "$extras_key" || fail "the key the program made is left"
  ! listed "$product" || fail "$product is still in the list of programs"
  [ -f "$windows/Uninstaller.exe" ] || fail "the shared Uninstaller.exe went"
}

install_then_remove() {
  prepare_windows
  local setup="$work/setup" dest="$drive_c/Program Files/Sample Notes"
  mkdir -p "$drive_c/Program Files"
  stage_setup "$setup"
  install_sample "$setup" 'C:\Program Files\Sample Notes'
  check_installed "$dest"
  echo "UninstallString: $(uninstall_string "$product")"
  [ "$(uninstall_string "$product")" = 'C:\windows\Uninstaller.exe C:\Program Files\Sample Notes\Uninstall.qsu' ] ||
    fail "UninstallString is $(uninstall_string "$product")"
  # What the program itself makes while it runs, named by the package's extras.
  timeout 30 wine reg add "$extras_key\\Window" /v Left /t REG_DWORD /d 10 /f >/dev/null
  remove_product "$product" "$(
    confirm_removal "$product"
    s box "Tavrin Uninstaller" "$product was successfully removed from your computer." ok)"
  check_removed "$dest"
  [ ! -e "$dest" ] || fail "the destination folder is left"
  [ ! -e "$windows/Start Menu/Programs/Sample Notes" ] || fail "the Start Menu folder is left"
  [ -d "$drive_c/Program Files" ] && [ -d "$windows/Start Menu/Programs" ] ||
    fail "a folder above the product's went"
}

keeps_what_the_user_had() {
  prepare_windows
  local setup="$work/setup" dest="$drive_c/My Documents/Notes Kept"
  local menu="$windows/Start Menu/Programs/Sample Notes"
  mkdir -p "$dest" "$menu"
  echo "my letter" >"$dest/Letter to Ann.txt"
  echo "not a real link" >"$menu/My Own.lnk"
  stage_setup "$setup"
  install_sample "$setup" 'C:\My Documents\Notes Kept'
  check_installed "$dest"
  remove_product "$product" "$(
    confirm_removal "$product"
    s box "Tavrin Uninstaller" "$product was successfully removed from your computer." ok)"
  check_removed "$dest"
  [ "$(cat "$dest/Letter to Ann.txt")" = "my letter" ] || fail "the user's file went"
  [ "$(ls -A "$dest")" = "Letter to Ann.txt" ] || fail "more than the user's file is left: $(ls -A "$dest")"
  [ "$(ls -A "$menu")" = "My Own.lnk" ] || fail "the Start Menu folder holds $(ls -A "$menu")"
  rm -rf "$dest" "$menu"
}

# A file the user kept at install (overwrite answered No) is not the product's: removing the
# product leaves it, byte for byte, and nothing else.
keeps_a_declined_file() {
  prepare_windows
  local setup="$work/setup" dest="$drive_c/Kept Readme" pid
  rm -rf "$dest"; mkdir -p "$dest"
  printf 'my own readme\r\n' >"$dest/Readme.txt"
  stage_setup "$setup"
  (cd "$setup" && exec timeout 180 wine Install.exe) >>"$work/install.log" 2>&1 &
  pid=$!
  drive_session "$(
    s window "Install $product" 109
    s text 109 'C:\Kept Readme'
    s click 1
    s box "File Already Exists" "File 'Readme.txt' already exists. Overwrite?" no
    s box "Installation Complete" "Installation is now complete." ok)" ||
    { kill "$pid" 2>/dev/null; fail "driving Install.exe"; }
  timeout 60 tail --pid="$pid" -f /dev/null || fail "Install.exe did not end"
  remove_product "$product" "$(
    confirm_removal "$product"
    s box "Tavrin Uninstaller" "$product was successfully removed from your computer." ok)"
  [ "$(ls -A "$dest")" = "Readme.txt" ] || fail "the destination holds $(ls -A "$dest")"
  [ "$(cat "$dest/Readme.txt")" = "$(printf 'my own readme\r\n')" ] || fail "the user's Readme.txt changed"
  ! reg_has "$uninstall_key\\$product" || fail "the uninstall key is left"
  rm -rf "$dest"
}

# However a record writes the Windows folder, the uninstaller refuses it and nothing in the
# Windows folder goes.
refuses_the_windows_folder_in_disguise() {
  prepare_windows uninstaller
  mkdir -p "$drive_c/Evil"
  printf '[evil]\r\n' >"$windows/evil-victim.ini"
  local destination
  for destination in 'C:/windows' 'C:\windows.' '\\?\C:\windows'; do
    write_record "$drive_c/Evil/Uninstall.qsu" "Evil Product" "$destination" \
      'C:\windows\Start Menu\Programs\Evil' 3 'files=evil-victim.ini'
    register_product "Evil Product" 'C:\windows\Uninstaller.exe C:\Evil\Uninstall.qsu'
    local problem="is the Windows folder"
    [ "$destination" != '\\?\C:\windows' ] || problem="begins with '\\\\?\\', a form no installation writes"
    remove_product "Evil Product" "$(
      s box Error "The uninstall record 'C:\\Evil\\Uninstall.qsu' cannot be used: the destination folder '$destination' $problem.\\n\\nNothing was removed." ok)"
    [ "$(cat "$windows/evil-victim.ini")" = "$(printf '[evil]\r\n')" ] ||
      fail "the Windows folder's file went for $destination"
  done
  winreg_remove "$uninstall_key\\Evil Product"
  rm -f "$windows/evil-victim.ini"
}
