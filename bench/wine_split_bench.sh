#!/usr/bin/env bash
# The Windows build of the split engine under Wine: parcelo95-cli.exe against Wine's
# `cmd /c copy /b` of the same bytes (alone, and followed by the creation of as many empty
# files as there are pieces) and against the native parcelo95, on one 1 GiB file of random
# bytes in the page cache. The two splitters run with standard error to a file and to a
# terminal (`script`). Runs alternate; medians and the spread are printed at the end.
#   bash bench/wine_split_bench.sh [ROUNDS]    (default 5; needs about 3 GiB free in $TMPDIR)
# PIECES="11 737" chooses the piece counts; SKIP="name name@pieces ..." leaves runs out (for
# instance before-term@737, whose progress line can take ten minutes); CLI=path times another
# parcelo95-cli.exe, NATIVE=path another parcelo95, and BEFORE=path adds an older
# parcelo95-cli.exe to the same rounds (before-file, before-term).
# Besides wall seconds it reports CPU seconds: those of every process the run started, and of
# the prefix's wineserver during the run. Every run goes into a cgroup of its own where the
# machine has a cgroup2 hierarchy (or cgroup1's cpuacct) we may write to, since Wine starts a
# program named without a path (`wine cmd`) as a process the command does not wait for:
# /usr/bin/time alone misses its CPU. Elsewhere the command's own user and system time is
# taken, and said so. On a machine shared with other work the wall times spread widely; the
# CPU seconds less.
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-5}
jobs=2
source tools/wine_runner.sh  # qemu-i386 (or an x86_64 stand-in) where this kernel refuses 32-bit programs
wine_runner_setup
cli=${CLI:-${PARCELO_WIN_BIN:-$PWD/build/win32/bin}/parcelo95-cli.exe}
native=${NATIVE:-$PWD/build/native/bin/parcelo95}
for f in "$cli" "$native"; do [ -e "$f" ] || { echo "build first: $f is missing" >&2; exit 1; }; done
pe_machine() {  # 8664 for x86_64, 014c for i386
  od -An -tx2 -N2 -j$(( $(od -An -tu4 -N4 -j60 "$1") + 4 )) "$1" | tr -d ' '
}
case $(pe_machine "$cli") in
  8664) echo "$cli is an x86_64 build: it runs natively under wine64" ;;
  *) echo "$cli runs as: $PARCELO_WIN_BUILD" ;;
esac
for t in /usr/bin/time script; do command -v $t >/dev/null || { echo "needs $t" >&2; exit 1; }; done
work=$(mktemp -d "${TMPDIR:-/tmp}/parcelo-wine-bench-XXXXXX")
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export XDG_CONFIG_HOME="$work/config"  # the native tool's default flags
cleanup() {
  timeout 30 wineserver -k >/dev/null 2>&1 || true
  rm -rf "$work"
  [ -z "${groups:-}" ] || rmdir "${groups#* }" 2>/dev/null || true
  wine_runner_release
}
trap cleanup EXIT
winpath() { local p=$1; echo "Z:${p//\//\\}"; }

timeout 300 wine cmd /c exit >/dev/null 2>&1 || true  # creates the prefix
timeout 60 wineserver -w
wineserver -p 3600  # one server for every run, stopped by the exit trap
server=""
for p in /proc/[0-9]*; do
  case $(cat "$p/comm" 2>/dev/null) in wineserver*) ;; *) continue ;; esac
  { tr '\0' '\n' <"$p/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && server=${p#/proc/}
done
server_ticks() {  # user + system clock ticks of the prefix's wineserver so far
  [ -n "$server" ] && awk '{ print $14 + $15 }' "/proc/$server/stat" 2>/dev/null || echo 0
}
# One cgroup for the bench, one below it per run: "v2 DIR" (cpu.stat, microseconds) or
# "v1 DIR" (cpuacct.usage, nanoseconds), empty where neither can be made.
groups=""
for base in $(awk '$3 == "cgroup2" { print $2 }' /proc/mounts) /sys/fs/cgroup/cpuacct; do
  dir="$base/parcelo-wine-bench-$$"
  if [ -f "$base/cgroup.procs" ] && mkdir "$dir" 2>/dev/null; then
    if [ -f "$dir/cpu.stat" ]; then groups="v2 $dir"; break; fi
    if [ -f "$dir/cpuacct.usage" ]; then groups="v1 $dir"; break; fi
    rmdir "$dir"
  fi
done
if [ -n "$groups" ]; then
  echo "CPU seconds: every process of a run, counted in ${groups#* }"
else
  echo "CPU seconds: no cgroup to be had; the command's own time only (misses what Wine starts apart)"
fi
group_cpu() {  # CPU seconds so far of the run cgroup $1
  case ${groups%% *} in
    v2) awk '$1 == "usage_usec" { printf "%.3f", $2 / 1e6 }' "$1/cpu.stat" ;;
    v1) awk '{ printf "%.3f", $1 / 1e9 }' "$1/cpuacct.usage" ;;
  esac
}
group_settle() {  # waits (30 s at most) until the processes of run cgroup $1 have gone
  local waited
  for ((waited = 0; waited < 300; waited++)); do
    [ -z "$(cat "$1/cgroup.procs")" ] && return
    sleep 0.1
  done
}
group_drop() {  # what is left (a service the server keeps) moves out, counted no further
  local pid
  for pid in $(cat "$1/cgroup.procs"); do
    echo "$pid" >"$(dirname "${groups#* }")/cgroup.procs" 2>/dev/null || true
  done
  rmdir "$1"
}
size=$((1 << 30))
head -c "$size" /dev/urandom >"$work/source.bin"
cat "$work/source.bin" >/dev/null  # into the page cache
src=$(winpath "$work/source.bin") out=$(winpath "$work/out")
# The floor for N pieces: the same bytes copied, then N empty files made, by one cmd.
printf '@echo off\r\ncopy /b %%1 %%2\\copy.bin >nul\r\nfor /L %%%%i in (1,1,%%3) do type nul > %%2\\f%%%%i\r\n' \
  >"$work/floor.bat"
# Both splitters stop asking once; NoReminders keeps the closing text out of the timing.
timeout 60 wine "$cli" options --set NoReminders=1 >/dev/null 2>&1
"$native" options --set NoReminders=1 >/dev/null 2>&1

run() {  # name pieces command...: one timed run into an emptied folder
  local name=$1 pieces=$2; shift 2
  case " ${SKIP:-} " in *" $name "* | *" $name@$pieces "*) return ;; esac
  rm -rf "$work/out" && mkdir "$work/out" && sync
  local before after group="" cpu
  [ -z "$groups" ] || { group="${groups#* }/run"; mkdir "$group"; }
  before=$(server_ticks)
  ( [ -z "$group" ] || echo "$BASHPID" >"$group/cgroup.procs"
    exec /usr/bin/time -f "%e %U %S" -o "$work/time" timeout 1800 "$@" >/dev/null 2>"$work/stderr" ) ||
    { echo "FAIL: $name ($pieces pieces)" >&2; cat "$work/stderr" >&2; exit 1; }
  [ -z "$group" ] || group_settle "$group"
  after=$(server_ticks)
  read -r wall user system <<<"$(tail -1 "$work/time")"
  cpu=$(awk -v u="$user" -v s="$system" 'BEGIN { printf "%.3f", u + s }')
  if [ -n "$group" ]; then
    cpu=$(group_cpu "$group")
    group_drop "$group"
  fi
  echo "$name $pieces $wall $cpu $(( after - before ))" >>"$work/times"
}

for ((i = 1; i <= rounds; i++)); do
  for pieces in ${PIECES:-11 737}; do
    piece=$(( (size + pieces - 1) / pieces ))
    [ "$pieces" = 737 ] && piece=1457264  # 1.44 MB floppies
    split_cli=(wine "$cli" split "$src" "$out" --size "$piece" --yes)
    split_native=("$native" split "$work/source.bin" "$work/out" --size "$piece" --yes)
    # The order turns each round, so no tool always follows the same one.
    order=(cli-file cli-term copy floor native-file native-term)
    [ -n "${BEFORE:-}" ] && order+=(before-file before-term)
    shift_by=$(( (i - 1) % ${#order[@]} ))
    order=("${order[@]:shift_by}" "${order[@]:0:shift_by}")
    for name in "${order[@]}"; do
      case $name in
        cli-file) run "$name" "$pieces" "${split_cli[@]}" ;;
        cli-term) run "$name" "$pieces" script -qec "$(printf '%q ' "${split_cli[@]}")" /dev/null ;;
        before-file) run "$name" "$pieces" wine "$BEFORE" "${split_cli[@]:2}" ;;
        before-term) run "$name" "$pieces" script -qec "$(printf '%q ' wine "$BEFORE" "${split_cli[@]:2}")" /dev/null ;;
        copy) run "$name" "$pieces" wine cmd /c copy /b "$src" "$out\\copy.bin" ;;
        floor) run "$name" "$pieces" wine cmd /c "$(winpath "$work/floor.bat")" "$src" "$out" "$pieces" ;;
        native-file) run "$name" "$pieces" "${split_native[@]}" ;;
        native-term) run "$name" "$pieces" script -qec "$(printf '%q ' "${split_native[@]}")" /dev/null ;;
      esac
    done
  done
  echo "round $i of $rounds done" >&2
done
rm -rf "$work/out"
echo "every run (name, pieces, wall seconds, CPU seconds, wineserver ticks), in order:"
tr '\n' ';' <"$work/times" | sed 's/;/; /g'
echo

python3 - "$work/times" "$(getconf CLK_TCK)" <<'PY'
import statistics, sys
tick = float(sys.argv[2])
runs = {}
for line in open(sys.argv[1]):
    name, pieces, wall, own, server = line.split()
    cpu = float(own) + int(server) / tick
    runs.setdefault((int(pieces), name), []).append((float(wall), cpu))
names = [n for n in ("cli-file", "cli-term", "before-file", "before-term", "copy", "floor",
                     "native-file", "native-term") if any(k[1] == n for k in runs)]
def cell(values):
    return f"{statistics.median(values):6.2f} ({min(values):.2f}-{max(values):.2f})"
for title, index in (("wall seconds", 0), ("CPU seconds (command + wineserver)", 1)):
    print(f"{title}: median (min-max) over runs")
    print(f"{'pieces':>6} " + " ".join(f"{n:>19}" for n in names))
    for pieces in sorted({p for p, _ in runs}):
        cells = [cell([r[index] for r in runs[(pieces, n)]]) if (pieces, n) in runs else "-"
                 for n in names]
        print(f"{pieces:>6} " + " ".join(f"{c:>19}" for c in cells))
        m = {n: statistics.median(r[index] for r in runs[(pieces, n)])
             for n in names if (pieces, n) in runs}
        for a, b in (("cli-term", "cli-file"), ("before-term", "before-file"),
                     ("cli-file", "floor"), ("cli-file", "copy"), ("before-file", "floor")):
            if a in m and b in m and m[b] > 0:
                print(f"{'':>6} {a} / {b}: {m[a] / m[b]:.2f}x")
    print()
PY
