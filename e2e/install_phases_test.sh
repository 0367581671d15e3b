#!/usr/bin/env bash
# Install.exe installing for real under Wine: the sample package with both shortcut
# choices, a cancel confirmed while copying, and an overwrite answered No.
#   bash e2e/install_phases_test.sh [SCENARIO]
set -uo pipefail
source "$(dirname "$0")/wine_session.sh"
work=$(mktemp -d /tmp/install-phases-e2e-XXXXXX)
wine_session_start "$work"
qsdtool="$repo/build/native/bin/qsdtool"
[ -x "$qsdtool" ] || { echo "FAIL: build the native qsdtool first"; exit 1; }
source "$(dirname "$0")/install_phases_scenarios.sh"

failures=0
only=${1:-}
for scenario in install_sample cancel_while_copying overwrite_declined; do
  [ -z "$only" ] || [ "$only" = "$scenario" ] || continue
  echo "== $scenario"
  started=$SECONDS
  # Not in a condition: errexit would be ignored inside.
  ( set -e; "$scenario" )
  status=$?
  if [ "$status" -eq 0 ]; then
    echo "ok: $scenario ($((SECONDS - started)) s)"
  else
    echo "FAIL: $scenario"
    failures=$((failures + 1))
  fi
  stop_install
done
[ "$failures" -eq 0 ]
