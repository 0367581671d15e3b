#!/usr/bin/env bash
# Uninstaller.exe under Wine, started the way the system starts it: through Wine's
# uninstaller, which runs the product's UninstallString. Records made by hand show its
# refusals and reports; the sample package installed with Install.exe shows that removing
# it leaves nothing of the product behind.
#   bash e2e/install_uninstall_test.sh [SCENARIO]
set -uo pipefail
source "$(dirname "$0")/wine_session.sh"
work=$(mktemp -d /tmp/uninstall-e2e-XXXXXX)
wine_session_start "$work"
source "$(dirname "$0")/uninstall_scenarios.sh"

run_scenarios "${1:-}" "" refuses_hostile_record names_a_missing_record \
              reports_read_only_then_retries install_then_remove keeps_what_the_user_had \
              keeps_a_declined_file refuses_the_windows_folder_in_disguise
