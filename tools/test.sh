#!/usr/bin/env bash
# Set-up and build, then every test: native unit tests, the same under ASan/UBSan, and the
# Windows program under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
jobs=2  # the machine is shared

echo "== native tests"
ctest --test-dir build/native --output-on-failure -j "$jobs" --timeout 300

echo "== the Windows programs import only what Windows 95 and 98 have"
python3 tools/win9x/check_imports.py build/win32/bin

echo "== the Windows programs use no instruction their processors lack"
python3 tools/win9x/check_processor.py build/win32/bin

echo "== the releases: the floppy image, the zip and the Debian package"
bash tools/release.sh
bash e2e/deb_package_test.sh

echo "== native tests under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build/sanitize -DCMAKE_BUILD_TYPE=Debug -DPARCELO_SANITIZE=ON >/dev/null
cmake --build build/sanitize -j "$jobs"
ctest --test-dir build/sanitize --output-on-failure -j "$jobs" --timeout 600

echo "== fuzzing the installer's data-file readers"
bash tools/fuzz.sh

echo "== Windows build under Wine"
source tools/wine_runner.sh
trap wine_runner_release EXIT
wine_runner_setup
echo "The Windows programs run as: $PARCELO_WIN_BUILD ($PARCELO_WIN_BIN)"
bash e2e/wine_cli_test.sh

echo "== join files of awkward names, run by Wine's cmd"
bash e2e/wine_join_names_test.sh

echo "== names outside ASCII, joined through the shell under Wine"
bash e2e/wine_oem_names_test.sh

echo "== join files cut at 127 bytes a line, as COMMAND.COM reads them, under Wine"
bash e2e/wine_dos_lines_test.sh

echo "== qsdtool.exe under Wine"
bash e2e/wine_qsdtool_test.sh

echo "== the console tools' stand-ins for what Windows 98 lacks, under Wine"
bash e2e/wine_compat98_test.sh

echo "== the GUI programs' own runtime under Wine"
bash e2e/wine_runtime_test.sh

echo "== Parcelo95.exe under Wine, through its dialogs"
bash e2e/parcelo_gui_test.sh

echo "== Install.exe under Wine, through its dialogs"
bash e2e/install_gui_test.sh

echo "== Install.exe installing for real under Wine: the sample, a cancel, a kept file"
bash e2e/install_phases_test.sh

echo "== Uninstaller.exe under Wine: install the sample, remove it through the list of programs"
bash e2e/install_uninstall_test.sh

echo "== the release floppy under Wine: install from A:, run from the Start Menu, remove"
bash e2e/floppy_install_test.sh
