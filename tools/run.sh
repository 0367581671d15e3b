#!/usr/bin/env bash
# Set-up, build, then split the bundled sample into build/demo with parcelo95 and join the
# pieces again in a second folder, showing each step.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
tool=build/native/bin/parcelo95
source="samples/Field Notes 1998.txt"
rm -rf build/demo && mkdir -p build/demo/pieces build/demo/rejoined
export XDG_CONFIG_HOME="$PWD/build/demo/config"  # the demo keeps its own option flags
show() { printf '\n$ %s\n' "$*"; "$@"; }
show "$tool" split "$source" build/demo/pieces --size 20000 --yes
show ls -l build/demo/pieces
printf '\nThe join file, as DOS sees it:\n'
cat build/demo/pieces/*.bat | tr -d '\r'
echo
cp build/demo/pieces/* build/demo/rejoined/
show "$tool" join build/demo/rejoined
show ls -l build/demo/rejoined
cmp "build/demo/rejoined/Field Notes 1998.txt" "$source" &&
  printf '\nparcelo95 join rebuilt "%s" byte for byte.\n' "$source"

# The installer's sample package: packed from its manifest, shown field by field, and staged
# with Install.exe and Uninstaller.exe in a folder ready to install from.
qsdtool=build/native/bin/qsdtool
setup=build/demo/setup
mkdir -p "$setup"
show "$qsdtool" pack installer/samples/Install.manifest -o "$setup/Install.qsd"
show "$qsdtool" dump "$setup/Install.qsd"
cp installer/samples/Readme.txt installer/samples/Notes.txt installer/samples/Settings.ini "$setup/"
# Where this kernel refuses 32-bit programs, the x86_64 build of the Wine tests runs instead.
win_bin=build/win32/bin wine=wine
if ! wine --version >/dev/null 2>&1 && [ -x build/win64/wine-path/wine ]; then
  win_bin=build/win64/bin wine="PATH=$PWD/build/win64/wine-path:\$PATH wine"
fi
cp "$win_bin/Install.exe" "$win_bin/Uninstaller.exe" "$setup/" 2>/dev/null ||
  echo "(Install.exe or Uninstaller.exe is not built; the folder holds the package only)"
cat <<TEXT

To install the sample under Wine, which must report Windows 98 and have the Windows 95
Start Menu and Desktop folders:
  $wine reg add 'HKCU\\Software\\Wine' /v Version /d win98 /f
  mkdir -p "\${WINEPREFIX:-\$HOME/.wine}/drive_c/windows/Start Menu/Programs" "\${WINEPREFIX:-\$HOME/.wine}/drive_c/windows/Desktop"
  cd $setup && $wine Install.exe
and to remove it again, as Add/Remove Programs does:
  $wine uninstaller --remove "Tavrin Sample Notes"
TEXT
