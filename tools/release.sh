#!/usr/bin/env bash
# The releases, in build/release/: Tavrin Parcelo 95 as a Windows 95/98 user gets it (a
# 1.44 MB floppy image and a zip holding the same files, installed by Tavrin Installer) and
# the command line as a Debian package. Installs what is missing and builds first, as
# tools/run.sh does.
#   bash tools/release.sh
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh

out=build/release
win=build/win32/bin
qsdtool=build/native/bin/qsdtool
image=$out/parcelo95-floppy.img
zip=$out/parcelo95-win9x.zip
disk=$out/floppy  # the files of the disk, as they go onto it
files=(Install.exe Install.qsd Uninstaller.exe Parcelo95.exe README.TXT)
rm -rf "$out"
mkdir -p "$disk"

# Every file of the disk bears the time of the commit it was made from, so that two
# releases of one commit hold the same files.
epoch=$(git log -1 --format=%ct 2>/dev/null || date +%s)

cp "$win/Install.exe" "$win/Uninstaller.exe" "$win/Parcelo95.exe" "$disk/"
# What DOS and Notepad read: CR LF lines in code page 437.
iconv -f UTF-8 -t CP437 release/README.TXT | sed 's/$/\r/' >"$disk/README.TXT"
cp release/Install.manifest "$disk/"
"$qsdtool" pack "$disk/Install.manifest" -o "$disk/Install.qsd"
rm "$disk/Install.manifest"
"$qsdtool" check "$disk/Install.qsd"
for file in "${files[@]}"; do touch -d "@$epoch" "$disk/$file"; done

# A FAT12 image of a 1.44 MB disk, written by mtools without mounting anything.
export MTOOLS_SKIP_CHECK=1
mformat -i "$image" -C -f 1440 -v "PARCELO 95" -N "$(printf '%08X' "$epoch")" ::
for file in "${files[@]}"; do mcopy -i "$image" -m "$disk/$file" "::$file"; done
[ "$(stat -c %s "$image")" -eq 1474560 ] || { echo "the image is not 1,474,560 bytes" >&2; exit 1; }

(cd "$disk" && zip -q -X "../$(basename "$zip")" "${files[@]}")

# The command line: the tools, their manual pages and the README, as a .deb.
(cd "$out" && cpack --config ../native/CPackConfig.cmake -G DEB -B cpack >cpack.log) ||
  { cat "$out/cpack.log"; exit 1; }
mv "$out"/cpack/*.deb "$out/"
rm -rf "$out/cpack"
deb=$(ls "$out"/*.deb)

echo
echo "== $image"
mdir -i "$image" -a ::
echo
echo "== $zip"
unzip -l "$zip"
echo
echo "== $deb"
dpkg-deb --info "$deb" | sed -n 's/^ \(Package\|Version\|Architecture\|Depends\|Installed-Size\):/&/p'
dpkg-deb --contents "$deb"
cat <<TEXT

Install it with:  apt install ./$deb
and remove it with:  apt remove parcelo95
TEXT
