#!/usr/bin/env bash
# The release as a Windows 95/98 user gets it: the files of build/release/parcelo95-floppy.img
# on a removable drive A:, A:\Install.exe installing Tavrin Parcelo 95 with the defaults, the
# Start Menu link starting the installed Parcelo95.exe, which splits a file, and the list of
# programs removing it all again, and nothing else.
#   bash e2e/floppy_install_test.sh [SCENARIO]
#   PARCELO_SCREENSHOT=docs/screenshots/floppy-install.png bash e2e/floppy_install_test.sh
#                     also pictures the install dialog started from A: (ImageMagick's import)
set -uo pipefail
source "$(dirname "$0")/wine_session.sh"
image="$repo/build/release/parcelo95-floppy.img"
if [ ! -f "$image" ]; then
  echo "FAIL: no $image: run bash tools/release.sh first"
  exit 1
fi
work=$(mktemp -d /tmp/floppy-e2e-XXXXXX)
wine_session_start "$work"
# Under qemu-i386 a first start in the prefix takes a while.
export PARCELO_DRIVER_TIMEOUT=${PARCELO_DRIVER_TIMEOUT:-90}

product="Tavrin Parcelo 95"
drive_c="$WINEPREFIX/drive_c"
windows="$drive_c/windows"
dest="$drive_c/Program Files/Tavrin Parcelo 95"
menu="$windows/Start Menu/Programs/Tavrin Parcelo 95"
uninstall_key="HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$product"
settings_key="HKLM\\SOFTWARE\\$product"
disk="$work/disk-a"
disk_files="Install.exe Install.qsd Parcelo95.exe README.TXT Uninstaller.exe"

s() { local IFS=$'\t'; printf '%s\n' "$*"; }
fail() { echo "FAIL: $*"; exit 1; }
reg_has() { winreg query "$1" >/dev/null 2>&1; }
reg_value() {  # KEY NAME: a string value as the programs under test see it
  winreg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_SZ *//p"
}
# What the product may touch, as names (and for files their checksums), for before and after.
machine_listing() {
  (cd "$drive_c" && find "Program Files" "windows/Start Menu" "windows/Desktop" -print0 2>/dev/null |
     sort -z | xargs -0 -I{} sh -c '[ -d "$1" ] && echo "$1/" || echo "$1 $(md5sum <"$1" | cut -c1-32)"' _ {})
  winreg query 'HKLM\SOFTWARE' 2>/dev/null | tr -d '\r' | grep -i '^HKEY'
}
wait_for() {  # PID WHAT: the process ends within a minute
  timeout 60 tail --pid="$1" -f /dev/null || { kill "$1" 2>/dev/null; fail "$2 did not end"; }
}

# The disk in drive A:: the image's files, as mtools reads them out of it. Not marked
# read-only: the copies would keep the mark, and the uninstaller rightly leaves such files.
mkdir -p "$disk"
MTOOLS_SKIP_CHECK=1 mcopy -i "$image" -m '::*' "$disk/" || fail "cannot read the files of $image"
if [ "${PARCELO_WIN_BUILD:-}" = "x86_64 stand-in" ]; then
  echo "The disk's programs are replaced by the x86_64 stand-ins: Wine cannot run the i686 ones here"
  cp "$bin/Install.exe" "$bin/Uninstaller.exe" "$bin/Parcelo95.exe" "$disk/"
fi
timeout 30 wine reg add 'HKLM\Software\Wine\Drives' /v a: /d floppy /f >/dev/null
ln -sfn "$disk" "$WINEPREFIX/dosdevices/a:"
mkdir -p "$windows/Start Menu/Programs" "$windows/Desktop" "$drive_c/Program Files"
if [ -n "${PARCELO_SCREENSHOT:-}" ]; then
  # A Wine virtual desktop draws the frames and captions that a bare Xvfb has no window
  # manager for; the caption buttons need Marlett.
  fonts="$windows/Fonts"
  [ -e "$fonts/marlett.ttf" ] || { mkdir -p "$fonts"; cp /usr/share/wine/fonts/marlett.ttf "$fonts/"; }
  timeout 30 wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Shots /f >/dev/null
  timeout 30 wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Shots /d 640x480 /f >/dev/null
fi
wine_session_restart  # drive types are read when the session starts
machine_listing >"$work/before.txt"

# --- scenarios ---------------------------------------------------------------------------

the_disk() {
  [ "$(stat -c %s "$image")" -eq 1474560 ] || fail "the image is $(stat -c %s "$image") bytes"
  local label
  label=$(MTOOLS_SKIP_CHECK=1 mlabel -i "$image" -s :: | tr -d '\r' | sed 's/ *$//')
  [ "$label" = " Volume label is PARCELO 95" ] || fail "the volume label: $label"
  [ "$(cd "$disk" && ls | tr '\n' ' ')" = "$disk_files " ] || fail "the disk holds $(ls "$disk")"
  # README.TXT: CR LF lines of code page 437 text, no longer than a DOS screen is wide.
  [ "$(tr -d '\r' <"$disk/README.TXT" | wc -l)" -eq "$(grep -c $'\r$' "$disk/README.TXT")" ] ||
    fail "README.TXT has a line without CR LF"
  iconv -f CP437 -t UTF-8 "$disk/README.TXT" >/dev/null || fail "README.TXT is not code page 437"
  ! tr -d '\r' <"$disk/README.TXT" | grep -q '.\{80\}' || fail "README.TXT has a line of 80 or more"
  "$repo/build/native/bin/qsdtool" dump "$disk/Install.qsd" --json >"$work/package.json" ||
    fail "qsdtool cannot read the disk's Install.qsd"
  python3 - "$work/package.json" <<'PY' || fail "the package holds $(cat "$work/package.json")"
import json, sys
p = json.load(open(sys.argv[1]))
assert p["productName"] == "Tavrin Parcelo 95", p["productName"]
assert p["destinationFolder"] == "%program files%\\Tavrin Parcelo 95", p["destinationFolder"]
assert [f["name"] for f in p["files"]] == ["Parcelo95.exe", "README.TXT"], p["files"]
assert p["uninstallExtras"] == ["HKEY_LOCAL_MACHINE\\SOFTWARE\\Tavrin Parcelo 95"]
assert p["startMenuFolder"] == "Programs\\Tavrin Parcelo 95", p["startMenuFolder"]
links = {(s["name"], s["target"], s["placement"]) for s in p["shortcuts"]}
assert links == {("Parcelo 95.lnk", "Parcelo95.exe", 0), ("Read Me.lnk", "README.TXT", 1)}, links
PY
}

install_from_a() {
  # Run as from Start, Run...: A:\Install.exe in its own folder, the disk's root.
  timeout 300 wine start /wait /d 'A:\' 'A:\Install.exe' >>"$work/install.log" 2>&1 &
  local pid=$!
  drive_session "$(
    s window "Install $product" 109
    s read 109 'C:\Program Files\Tavrin Parcelo 95'
    s read 106 'Programs\Tavrin Parcelo 95'
    s checked 105 1
    s checked 107 0)" || { kill "$pid"; fail "the install dialog"; }
  if [ -n "${PARCELO_SCREENSHOT:-}" ]; then
    sleep 1  # let Wine finish painting
    import -window root -crop 640x480+0+0 +repage "$PARCELO_SCREENSHOT" &&
      echo "saved $PARCELO_SCREENSHOT"
  fi
  drive_session "$(
    s window "Install $product" 109
    s click 1
    s box "Installation Complete" "Installation is now complete." ok)" ||
    { kill "$pid"; fail "installing"; }
  wait_for "$pid" Install.exe

  local file
  for file in Parcelo95.exe README.TXT; do
    cmp "$disk/$file" "$dest/$file" || fail "$file was not installed as it is on the disk"
  done
  [ -f "$dest/Uninstall.qsu" ] || fail "no uninstall record"
  [ "$(ls "$dest" | tr '\n' ' ')" = "Parcelo95.exe README.TXT Uninstall.qsu " ] ||
    fail "the destination holds $(ls "$dest")"
  [ "$(ls "$menu" | tr '\n' ' ')" = "Parcelo 95.lnk Read Me.lnk " ] ||
    fail "the Start Menu folder holds $(ls "$menu" 2>&1)"
  [ -z "$(ls "$windows/Desktop")" ] || fail "a desktop link without the desktop choice"
  cmp "$disk/Uninstaller.exe" "$windows/Uninstaller.exe" || fail "no Uninstaller.exe in the Windows folder"
  [ "$(reg_value "$uninstall_key" DisplayName)" = "$product" ] || fail "no DisplayName"
  [ "$(reg_value "$uninstall_key" UninstallString)" = 'C:\windows\Uninstaller.exe C:\Program Files\Tavrin Parcelo 95\Uninstall.qsu' ] ||
    fail "UninstallString is '$(reg_value "$uninstall_key" UninstallString)'"
  timeout 30 wine uninstaller --list 2>/dev/null | tr -d '\r' | grep -Fxq "$product|||$product" ||
    fail "$product is not in the list of programs"
}

run_from_start_menu() {
  local data="$drive_c/My Documents" out="$drive_c/Pieces" pid
  # The link starts the installed program, the only Parcelo95.exe on drive C:.
  grep -aqiF 'Program Files\Tavrin Parcelo 95\Parcelo95.exe' "$menu/Parcelo 95.lnk" ||
    fail "the Start Menu link does not name the installed Parcelo95.exe"
  mkdir -p "$data" "$out"
  head -c 50000 /dev/urandom >"$data/Trip Report.doc"
  # The shell opens the link as a click on it in the Start Menu does.
  timeout 300 wine start /wait 'C:\windows\Start Menu\Programs\Tavrin Parcelo 95\Parcelo 95.lnk' \
    >>"$work/app.log" 2>&1 &
  pid=$!
  drive_session "$(
    s window "$product" 128
    s text 103 'C:\My Documents\Trip Report.doc'
    s select 115 0
    s text 106 20000
    s text 104 'C:\Pieces'
    s click 128
    s box "$product" "*" ok
    s window "$product" 128
    s close)" || fail "splitting with the installed program"
  wait_for "$pid" "starting Parcelo95.exe from its link"
  # The pieces carry the 8.3 name Wine gives the source (TRIP~xxx), and the join file its long name.
  [ "$(cd "$out" && ls | sed 's/^[^.]*\.00/X.00/' | tr '\n' ' ')" = "Join-Trip Report.doc.bat X.000 X.001 X.002 " ] ||
    fail "the split wrote $(ls "$out")"
  [ "$(cat "$out"/*.00? | md5sum)" = "$(md5sum <"$data/Trip Report.doc")" ] ||
    fail "the pieces are not the source"
  reg_has "$settings_key" || fail "the installed program keeps no settings key"
}

remove_through_the_list() {
  timeout 180 wine uninstaller --remove "$product" >>"$work/uninstaller.log" 2>&1 &
  local pid=$!
  drive_session "$(
    s box "Tavrin Uninstaller" "Are you sure you want to remove $product and all of its components?" yes
    s box "Tavrin Uninstaller" "$product was successfully removed from your computer." ok)" ||
    { kill "$pid"; fail "driving the removal"; }
  wait_for "$pid" "the removal"
  [ ! -e "$dest" ] || fail "the destination folder is left: $(ls -A "$dest")"
  [ ! -e "$menu" ] || fail "the Start Menu folder is left: $(ls -A "$menu")"
  ! reg_has "$settings_key" || fail "the settings key is left"
  ! reg_has "$uninstall_key" || fail "the uninstall key is left"
  [ -f "$windows/Uninstaller.exe" ] || fail "the shared Uninstaller.exe went"
  [ -f "$drive_c/My Documents/Trip Report.doc" ] && [ -f "$drive_c/Pieces/Join-Trip Report.doc.bat" ] ||
    fail "the user's files went"
  machine_listing >"$work/after.txt"
  diff "$work/before.txt" "$work/after.txt" || fail "the machine is not as it was before the install"
  [ "$(cd "$disk" && ls | tr '\n' ' ')" = "$disk_files " ] || fail "something was written to A:"
}

# What a failed scenario leaves running (a dialog still open) must not hold the next one up.
stop_programs() { wine_session_restart; }

run_scenarios "${1:-}" stop_programs the_disk install_from_a run_from_start_menu remove_through_the_list
