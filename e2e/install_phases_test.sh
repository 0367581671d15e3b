#!/usr/bin/env bash
# Install.exe installing for real under Wine: the sample package with both shortcut
# choices, a cancel confirmed while copying and one after the record, overwrites answered
# No, and a cancel that gives an earlier uninstall entry back its values.
#   bash e2e/install_phases_test.sh [SCENARIO]
set -uo pipefail
source "$(dirname "$0")/wine_session.sh"
work=$(mktemp -d /tmp/install-phases-e2e-XXXXXX)
wine_session_start "$work"
qsdtool="$repo/build/native/bin/qsdtool"
[ -x "$qsdtool" ] || { echo "FAIL: build the native qsdtool first"; exit 1; }
source "$(dirname "$0")/install_phases_scenarios.sh"

run_scenarios "${1:-}" stop_install install_sample cancel_while_copying cancel_after_the_record \
              overwrite_declined cancel_restores_earlier_entry
