#!/usr/bin/env bash
# Set-up and build, then every test: native unit tests, the same under ASan/UBSan, fuzzing,
# and the Windows programs under Wine. Every suite runs even when one before it failed; a
# table of the suites, passed or failed and their seconds, ends the run, which fails when
# any suite did.
set -euo pipefail
cd "$(dirname "$0")/.."
started=$SECONDS
bash tools/setup.sh
echo "Set-up and build: $((SECONDS - started)) s"
jobs=2  # the machine is shared

results=()
failed=0
# suite NAME COMMAND...: runs one suite, its failure noted rather than ending the run.
suite() {
  local name=$1 status=0 began=$SECONDS
  shift
  echo
  echo "== $name"
  # Not in a condition, where errexit would be ignored inside the subshell.
  set +e
  ( set -e; "$@" )
  status=$?
  set -e
  if [ "$status" -eq 0 ]; then
    results+=("$(printf 'passed  %5d s  %s' $((SECONDS - began)) "$name")")
  else
    results+=("$(printf 'FAILED  %5d s  %s (exit %d)' $((SECONDS - began)) "$name" "$status")")
    failed=$((failed + 1))
  fi
}

native_tests() { ctest --test-dir build/native --output-on-failure -j "$jobs" --timeout 300; }
release_tests() { bash tools/release.sh && bash e2e/deb_package_test.sh; }
sanitizer_tests() {
  cmake -S . -B build/sanitize -DCMAKE_BUILD_TYPE=Debug -DPARCELO_SANITIZE=ON >/dev/null
  cmake --build build/sanitize -j "$jobs"
  ctest --test-dir build/sanitize --output-on-failure -j "$jobs" --timeout 600
}

suite "native tests" native_tests
suite "the Windows programs import only what Windows 95 and 98 have" \
  python3 tools/win9x/check_imports.py build/win32/bin
suite "the Windows programs use no instruction their processors lack" \
  python3 tools/win9x/check_processor.py build/win32/bin
suite "the releases: the floppy image, the zip and the Debian package" release_tests
suite "native tests under AddressSanitizer and UndefinedBehaviorSanitizer" sanitizer_tests
suite "fuzzing the installer's data-file readers" bash tools/fuzz.sh

source tools/wine_runner.sh
trap wine_runner_release EXIT
if wine_runner_setup; then
  echo "The Windows programs run as: $PARCELO_WIN_BUILD ($PARCELO_WIN_BIN)"
  suite "parcelo95-cli.exe under Wine" bash e2e/wine_cli_test.sh
  suite "join files of awkward names, run by Wine's cmd" bash e2e/wine_join_names_test.sh
  suite "names outside ASCII, joined through the shell under Wine" bash e2e/wine_oem_names_test.sh
  suite "join files cut at 127 bytes a line, as COMMAND.COM reads them, under Wine" \
    bash e2e/wine_dos_lines_test.sh
  suite "qsdtool.exe under Wine" bash e2e/wine_qsdtool_test.sh
  suite "the console tools' stand-ins for what Windows 98 lacks, under Wine" \
    bash e2e/wine_compat98_test.sh
  suite "the GUI programs' own runtime under Wine" bash e2e/wine_runtime_test.sh
  suite "Parcelo95.exe under Wine, through its dialogs" bash e2e/parcelo_gui_test.sh
  suite "Install.exe under Wine, through its dialogs" bash e2e/install_gui_test.sh
  suite "Install.exe installing for real under Wine: the sample, two cancels, a kept file" \
    bash e2e/install_phases_test.sh
  suite "Uninstaller.exe under Wine: install the sample, remove it through the list of programs" \
    bash e2e/install_uninstall_test.sh
  suite "the release floppy under Wine: install from A:, run from the Start Menu, remove" \
    bash e2e/floppy_install_test.sh
else
  results+=("FAILED      0 s  Wine could not be set up: no Windows suite ran")
  failed=$((failed + 1))
fi

echo
echo "== suites"
printf '%s\n' "${results[@]}"
echo "All in all: $((SECONDS - started)) s; $failed of ${#results[@]} suites failed."
[ "$failed" -eq 0 ]
