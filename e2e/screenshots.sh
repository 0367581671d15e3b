#!/usr/bin/env bash
# Pictures of Parcelo95.exe under Wine for the README: the main dialog, Options, About, the
# progress dialog in the middle of a run and the backup path dialog; and of Install.exe's
# install dialog with the sample package, its progress dialog at the end of the install, and
# Uninstaller.exe's question, closing message and progress dialog when the sample is removed
# again; saved as docs/screenshots/*.png. Wine draws the
# frames and captions itself in a virtual desktop, which a bare Xvfb display has no window
# manager for.
#   bash e2e/screenshots.sh [parcelo|install]   (after the build; installs ImageMagick when
#                                               missing; both programs when none is named)
# Where the kernel refuses 32-bit programs, run it after tools/test.sh with
#   PATH=$PWD/build/win64/wine-path:$PATH PARCELO_WIN_BIN=$PWD/build/win64/bin
set -euo pipefail
cd "$(dirname "$0")/.."
which_pictures=${1:-all}
as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }
if ! command -v import >/dev/null; then
  as_root apt-get update -qq && as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq imagemagick >/dev/null
fi
case $which_pictures in
  parcelo) programs=Parcelo95 ;;
  install) programs="Install Uninstaller" ;;
  *) programs="Parcelo95 Install Uninstaller" ;;
esac
for program in $programs; do
  [ -x "${PARCELO_WIN_BIN:-build/win32/bin}/$program.exe" ] || { echo "build first: bash tools/setup.sh" >&2; exit 1; }
done

source e2e/wine_session.sh
work=$(mktemp -d /tmp/parcelo-shots-XXXXXX)
wine_session_start "$work"
source e2e/parcelo_scenarios.sh
# A 64-bit prefix on a kernel without 32-bit support gets no fonts from its set-up; the
# caption buttons need Marlett.
fonts="$WINEPREFIX/drive_c/windows/Fonts"
[ -e "$fonts/marlett.ttf" ] || { mkdir -p "$fonts"; cp /usr/share/wine/fonts/marlett.ttf "$fonts/"; }
desktop=640x480
timeout 30 wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Shots /f >/dev/null
timeout 30 wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Shots /d "$desktop" /f >/dev/null
wine_session_restart  # the virtual desktop is read when the session starts
mkdir -p docs/screenshots
picture() {  # NAME: the virtual desktop as it is now
  sleep 1  # let Wine finish painting
  import -window root -crop "$desktop+0+0" +repage "docs/screenshots/$1.png"
  echo "saved docs/screenshots/$1.png"
}

if [ "$which_pictures" != install ]; then
set_flags
# A source on C:, so that the picture shows a path a user would have.
data="$WINEPREFIX/drive_c/Videos"; out=$(new_folder out)
mkdir -p "$data"
head -c 3500000 /dev/urandom >"$data/Holiday Video.avi"
start_app 'C:\Videos\Holiday Video.avi'
drive_session "$(
  s window "$title" 128
  s select 115 2
  s text 106 1.44
  s text 104 'C:\Pieces')"
picture main-dialog
drive_session "$(s window "$title" 128; s click 110; s window Options 108)"
picture options-dialog
drive_session "$(s window Options 108; s click 2; s window "$title" 128; s click 102)"
drive_session "$(s window "About Tavrin Parcelo 95" 2)"
picture about-dialog
drive_session "$(s window "About Tavrin Parcelo 95" 2; s click 2; s window "$title" 128; s close)"
stop_app

# Mid-run: a large sized split, cancelled once pictured.
head -c 1048576000 /dev/zero >"$data/ARCHIVE.ZIP"
start_app 'C:\Videos\ARCHIVE.ZIP'
drive_session "$(
  large_split_steps "$(winpath "$out")"
  s sleep 1000)"
picture progress-dialog
drive_session "$(s window "Parcelo 95 Progress" 127; s click 2; s gone "Parcelo 95 Progress"
  s window "$title" 128; s close)"
stop_app
rm -f "$data/ARCHIVE.ZIP"

# The backup path dialog comes with spanning onto a floppy.
mount_floppy
start_app 'C:\Videos\Holiday Video.avi'
drive_session "$(
  s window "$title" 128
  s click 116
  s text 104 'A:\'
  s click 128
  s box "Backup Pieces" '*' yes
  s window "Tavrin Parcelo 95 - Backup Pieces" 126
  s text 126 'C:\Backup')"
picture backup-path-dialog
timeout 30 wineserver -k >/dev/null 2>&1 || true  # the run need not go on
app_pid=""
fi

if [ "$which_pictures" != parcelo ]; then
  # The install dialog as a user who opens the sample package sees it.
  sample="$WINEPREFIX/drive_c/Sample"
  mkdir -p "$sample"
  cp installer/samples/* "${PARCELO_WIN_BIN:-build/win32/bin}/Install.exe" "$sample/"
  (cd "$sample" && wine "$sample/Install.exe" >/dev/null 2>&1) &
  install_pid=$!
  drive_session "$(s window "Install Tavrin Sample Notes" 109)"
  picture install-dialog
  drive_session "$(s window "Install Tavrin Sample Notes" 109; s click 2; s gone "Install Tavrin Sample Notes")"
  timeout 30 tail --pid="$install_pid" -f /dev/null || kill "$install_pid" 2>/dev/null || true

  # A whole install, and its removal through the system's list of programs. The Windows
  # folder first gets the folders a Windows 95 system has.
  mkdir -p "$WINEPREFIX/drive_c/windows/Start Menu/Programs" "$WINEPREFIX/drive_c/windows/Desktop"
  cp "${PARCELO_WIN_BIN:-build/win32/bin}/Uninstaller.exe" "$sample/"
  (cd "$sample" && wine "$sample/Install.exe" >/dev/null 2>&1) &
  install_pid=$!
  drive_session "$(
    s window "Install Tavrin Sample Notes" 109
    s click 107
    s click 1
    s box "Installation Complete" "Installation is now complete." none)"
  picture install-progress
  drive_session "$(s box "Installation Complete" "*" ok)"
  timeout 30 tail --pid="$install_pid" -f /dev/null || kill "$install_pid" 2>/dev/null || true
  wine uninstaller --remove "Tavrin Sample Notes" >/dev/null 2>&1 &
  remove_pid=$!
  drive_session "$(s box "Tavrin Uninstaller" "*" none)"
  picture uninstall-question
  drive_session "$(
    s box "Tavrin Uninstaller" "*" yes
    s box "Tavrin Uninstaller" "Tavrin Sample Notes was successfully removed from your computer." none)"
  picture uninstall-done
  drive_session "$(s box "Tavrin Uninstaller" "*" ok)"
  timeout 30 tail --pid="$remove_pid" -f /dev/null || kill "$remove_pid" 2>/dev/null || true

  # The removal's own dialog shows for a moment only; a record of many files (all gone
  # already) keeps it up long enough for a picture.
  source e2e/uninstall_scenarios.sh
  big="$WINEPREFIX/drive_c/Program Files/Notes Archive"
  mkdir -p "$big"
  write_record "$big/Uninstall.qsu" "Notes Archive" 'C:\Program Files\Notes Archive' \
    'C:\windows\Start Menu\Programs\Notes Archive' 3 \
    "files=$(seq -f 'Note %05g.txt' 1 3000 | paste -sd '|')"
  register_product "Notes Archive" 'C:\windows\Uninstaller.exe C:\Program Files\Notes Archive\Uninstall.qsu'
  wine uninstaller --remove "Notes Archive" >/dev/null 2>&1 &
  remove_pid=$!
  drive_session "$(s box "Tavrin Uninstaller" "*" yes; s window "Removing Notes Archive" 102)"
  picture uninstall-progress
  drive_session "$(s box "Tavrin Uninstaller" "Notes Archive was successfully removed from your computer." ok)"
  timeout 60 tail --pid="$remove_pid" -f /dev/null || kill "$remove_pid" 2>/dev/null || true
fi
