#!/usr/bin/env bash
# Install.exe end to end under Wine, driven through its dialogs as a user would: the
# platform check, the data file from the current folder, the install dialog and the run.
set -uo pipefail
source "$(dirname "$0")/wine_session.sh"
work=$(mktemp -d /tmp/install-e2e-XXXXXX)
wine_session_start "$work"
qsdtool="$repo/build/native/bin/qsdtool"
[ -x "$qsdtool" ] || { echo "FAIL: build the native qsdtool first"; exit 1; }
source "$(dirname "$0")/install_scenarios.sh"

run_scenarios "${1:-}" stop_app platform_check data_file_from_current_folder install_dialog \
              desktop_only_package install_run close_during_run
