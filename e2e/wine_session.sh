# Sourced by the Windows end-to-end tests: a private Wine prefix reporting Windows 98 and a
# private X display, both stopped by the exit trap whatever happens.
#   wine_session_start WORKDIR    sets WINEPREFIX, DISPLAY, floppy; creates the prefix; the
#                                 exit trap stops the session and removes WORKDIR
#   winpath UNIXPATH              the Z: path Wine gives a Unix path
#   drive_session "STEPS"         runs the dialog driver on a step script (tabs between fields)

export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
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
}

wine_session_start() {
  local work=$1 display
  session_work=$work
  floppy="$work/floppy"  # drive A:, once a scenario mounts it
  trap wine_session_stop EXIT
  export WINEPREFIX="$work/prefix"
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
  timeout 180 wine cmd /c exit >/dev/null 2>&1 || true  # creates the prefix
  timeout 60 wine reg add 'HKCU\Software\Wine' /v Version /d win98 /f >/dev/null 2>&1
  timeout 30 wineserver -k >/dev/null 2>&1 || true     # the version is read at start
}

winpath() { local p=$1; echo "Z:${p//\//\\}"; }

# Runs the driver on the steps given; its log goes to stdout. Fails when a step fails.
drive_session() {
  local steps
  steps=$(mktemp "$WINEPREFIX/../steps-XXXXXX")
  printf '%s\n' "$1" >"$steps"
  timeout "${2:-180}" wine "$bin/gui_driver.exe" "$(winpath "$steps")"
}


# Runs each scenario function named after the first two arguments (only ONLY, when it is
# not empty), in a subshell with errexit, then CLEANUP (when not empty); fails when any did.
#   run_scenarios ONLY CLEANUP SCENARIO...
run_scenarios() {
  local only=$1 cleanup=$2 scenario status started failures=0
  shift 2
  for scenario in "$@"; do
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
    [ -z "$cleanup" ] || "$cleanup"
  done
  [ "$failures" -eq 0 ]
}
