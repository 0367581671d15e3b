#!/usr/bin/env bash
# Parcelo95.exe end to end under Wine, driven through its dialogs as a user would: what it
# writes to disk and to the registry, and every text it shows.
set -uo pipefail
source "$(dirname "$0")/wine_session.sh"
work=$(mktemp -d /tmp/parcelo-e2e-XXXXXX)
wine_session_start "$work"
source "$(dirname "$0")/parcelo_scenarios.sh"

failures=0
only=${1:-}
for scenario in first_start sized_long_name dos83_150_pieces spanned_with_backups refusals \
                cancel_mid_run delete_source; do
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
  stop_app
done
[ "$failures" -eq 0 ]
