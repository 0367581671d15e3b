#!/usr/bin/env bash
# Parcelo95.exe end to end under Wine, driven through its dialogs as a user would: what it
# writes to disk and to the registry, and every text it shows.
set -uo pipefail
source "$(dirname "$0")/wine_session.sh"
work=$(mktemp -d /tmp/parcelo-e2e-XXXXXX)
wine_session_start "$work"
source "$(dirname "$0")/parcelo_scenarios.sh"

run_scenarios "${1:-}" stop_app first_start browse_source sized_long_name dos83_150_pieces \
              spanned_with_backups refusals cancel_mid_run delete_source \
              delete_changed_source claims_in_destination
