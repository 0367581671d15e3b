# Sourced by the Windows end-to-end tests: how the Windows programs run here, a private Wine
# prefix settled before the first scenario, and for the dialog suites a private X display and
# Windows 98 reported; all stopped by the exit trap whatever happens.
#   wine_prefix_start WORKDIR     names the build under test; sets WINEPREFIX and creates the
#                                 prefix; the exit trap stops it and removes WORKDIR
#   wine_session_start WORKDIR    the same, and DISPLAY, Windows 98, floppy
#   wine_session_restart          a new session, for settings Wine reads at start; it lasts
#                                 until the exit trap or the next restart
#   wine_logged LOG CMD...        a Wine command whose output is kept in LOG, printed if it fails
#   winreg ARGS...                `wine reg` on the registry view the programs under test see
#   winreg_remove KEY             deletes KEY there; fails when it stays
#   winpath UNIXPATH              the Z: path Wine gives a Unix path
#   drive_session "STEPS"         runs the dialog driver on a step script (tabs between fields)
#   split_suite_start NAME        for the suites that split with both builds: tool, exe, work,
#                                 failures and fail(), then the prefix

export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# A suite run on its own chooses the way to run Windows programs itself.
if [ -z "${PARCELO_WIN_BUILD:-}" ]; then
  source "$repo/tools/wine_runner.sh"
  wine_runner_setup || exit 1
fi
bin="${PARCELO_WIN_BIN:-$repo/build/win32/bin}"  # the Windows programs under test
xvfb_pid=""
session_work=""

wine_session_stop() {
  if [ -n "${WINEPREFIX:-}" ]; then timeout 30 wineserver -k >/dev/null 2>&1 || true; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
  xvfb_pid=""
  if [ -n "$session_work" ]; then
    mountpoint -q "$floppy" 2>/dev/null && umount "$floppy"
    rm -rf "$session_work"
  fi
  if declare -F wine_runner_release >/dev/null; then wine_runner_release; fi
}

wine_logged() {
  local log=$1 status=0
  shift
  "$@" </dev/null >"$log" 2>&1 || status=$?
  if [ "$status" -ne 0 ]; then echo "--- $* exited $status; its output:"; cat "$log"; echo "---"; fi
  return "$status"
}

wine_prefix_start() {
  local work=$1
  session_work=$work
  floppy="$work/floppy"  # drive A:, once a scenario mounts it
  trap wine_session_stop EXIT
  export WINEPREFIX="$work/prefix"
  echo "Windows programs under test: $bin (${PARCELO_WIN_BUILD:-i686})"
  # Made and settled before the first scenario: a prefix still settling can lose a first
  # command's work. Its background processes get the log, never a pipe of ours.
  wine_logged "$work/wineboot.log" timeout 300 wine wineboot -i || return 1
  timeout 120 wineserver -w || true
}

wine_session_start() {
  local work=$1 display
  wine_prefix_start "$work" || return 1
  for display in $(seq 91 140); do
    [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ] || break
  done
  Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$display"
  local waited=0
  until [ -e "/tmp/.X11-unix/X$display" ]; do
    sleep 0.2; waited=$((waited + 1))
    if [ "$waited" -gt 100 ]; then echo "Xvfb did not start" >&2; return 1; fi
  done
  wine_logged "$work/version.log" timeout 60 wine reg add 'HKCU\Software\Wine' /v Version /d win98 /f
  wine_session_restart  # the version is read at start
}

# Ends the Wine session and starts it again: the settings that Wine reads at start (the
# version, the drive types) take effect. The new session outlives every program run in it,
# until the exit trap or the next restart; its services (the mount manager among them) are
# started once here and answered one volume query, within a limit, before anything else
# runs. Without that, Wine (which ends a session with its last program) started its
# services again beside every program of a suite.
wine_session_restart() {
  timeout 30 wineserver -k >/dev/null 2>&1 || true
  wineserver -p || { echo "wineserver -p did not start"; return 1; }
  wine_logged "$session_work/services.log" timeout 300 wine cmd /c vol c: || {
    echo "Wine's services did not answer a volume query within 300 s"; return 1; }
}

split_suite_start() {
  tool="$repo/build/native/bin/parcelo95"  # the Linux splitter
  exe="$bin/parcelo95-cli.exe"             # the Windows one
  work=$(mktemp -d "/tmp/$1-XXXXXX")
  # Wine names Unix files in the locale's encoding: UTF-8, like the Linux tool. The Linux
  # tool keeps its flags in the work folder.
  export LANG=C.UTF-8 LC_ALL=C.UTF-8 XDG_CONFIG_HOME="$work/config"
  failures=0
  fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
  wine_prefix_start "$work"
}

winreg() { timeout 30 wine reg "$@" ${PARCELO_REG_VIEW:-}; }

# Takes KEY out of that view and makes sure it is gone: a scenario that starts from a
# machine still holding an earlier run's key tests the leftovers, not the program.
winreg_remove() {
  local said try
  for try in 1 2 3; do
    said=$(winreg query "$1" 2>&1) || true
    case $said in *"Unable to find the specified registry key"*) return 0 ;; esac
    said=$(winreg delete "$1" /f 2>&1) || true
  done
  echo "FAIL: $1 is still in the registry after three deletes; reg said: $said"
  return 1
}

winpath() { local p=$1; echo "Z:${p//\//\\}"; }

# Runs the driver on the steps given; its log goes to stdout. Fails when a step fails.
drive_session() {
  local steps
  steps=$(mktemp "$WINEPREFIX/../steps-XXXXXX")
  printf '%s\n' "$1" >"$steps"
  timeout "${2:-180}" wine "$bin/gui_driver.exe" "$(winpath "$steps")"
}


# Runs each scenario function named after the first two arguments (only those ONLY names,
# blank-separated, when it is not empty), in a subshell with errexit, then CLEANUP (when not
# empty); fails when any did.
#   run_scenarios ONLY CLEANUP SCENARIO...
run_scenarios() {
  local only=$1 cleanup=$2 scenario status started failures=0
  shift 2
  for scenario in "$@"; do
    [ -z "$only" ] || [[ " $only " == *" $scenario "* ]] || continue
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
    [ -z "$cleanup" ] || "$cleanup"
  done
  [ "$failures" -eq 0 ]
}
