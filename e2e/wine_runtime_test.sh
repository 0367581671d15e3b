#!/usr/bin/env bash
# The GUI programs' own runtime under Wine, through runtime_check.exe, a program built on it
# alone: static constructors and destructors and the exit list in their order, the heap, the
# memory and character functions, the command line WinMain gets and the exit code it
# returns, and the message with which a failed new or a library check ends the program.
set -uo pipefail
source "$(dirname "$0")/wine_session.sh"
work=$(mktemp -d /tmp/runtime-e2e-XXXXXX)
wine_session_start "$work"
report="$work/report.txt"

checks_and_exit_order() {
  # A folder with a space: the program's name is quoted, and WinMain gets what follows it.
  mkdir -p "$work/with space"
  cp "$bin/runtime_check.exe" "$work/with space/runtime check.exe"
  local status=0
  timeout 120 wine "$work/with space/runtime check.exe" "$(winpath "$report")" two "words here" \
    || status=$?
  tr -d '\r' <"$report" >"$work/got.txt"
  diff - "$work/got.txt" <<END
TAIL $(winpath "$report") two "words here"
CHECKS 0 failed
EXIT atexit
EXIT function-local static
EXIT destructor attribute
EXIT static object 2
EXIT static object 1
END
  [ "$status" -eq 100 ] || { echo "exit code $status, not 100"; return 1; }
}

# Runs runtime_check in MODE, answers the message box it must show, and checks that the
# program then ended with exit code 3 and went no further.
ends_with_box() {
  local mode=$1 text=$2 pid status=0
  timeout 120 wine "$bin/runtime_check.exe" "$(winpath "$report")" "$mode" &
  pid=$!
  drive_session "box	Error	$text	ok" || { kill "$pid"; return 1; }
  wait "$pid" || status=$?
  tr -d '\r' <"$report"
  [ "$status" -eq 3 ] || { echo "exit code $status, not 3"; return 1; }
  [ "$(wc -l <"$report")" -eq 2 ] || { echo "the program went on after the message"; return 1; }
}

a_failed_new_ends_with_out_of_memory() { ends_with_box out-of-memory "Out of memory."; }

a_position_past_the_end_ends_with_an_internal_error() {
  ends_with_box out-of-range \
    "Internal error: basic_string::substr: __pos (which is 21) > this->size() (which is 20)"
}

# Under all of these suites: Wine stops a running thread with a signal (to suspend it, or to
# end an I/O it has not waited for yet), and the thread must come back as itself, with its own
# TEB. An emulator that hands it another thread's crashes the check, or stalls a dialog.
threads_stay_themselves_when_suspended() {
  local said
  said=$(timeout 120 wine "$bin/thread_identity_check.exe" 2>"$work/threads.log" | tr -d '\r')
  [ "$said" = "same thread after 50 suspensions" ] ||
    { echo "thread_identity_check.exe said: $said"; cat "$work/threads.log"; return 1; }
}

run_scenarios "${1:-}" "" threads_stay_themselves_when_suspended checks_and_exit_order \
              a_failed_new_ends_with_out_of_memory \
              a_position_past_the_end_ends_with_an_internal_error
