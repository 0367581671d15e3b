#!/usr/bin/env bash
# parcelo95 split against GNU split and an in-kernel cp, on one 1 GiB file of random bytes
# in the page cache, cut into 1.44 MB pieces. Runs alternate; medians of wall and CPU
# seconds and the peak resident memory are printed at the end.
#   bash bench/split_bench.sh [ROUNDS]    (default 7; needs about 3 GiB free in $TMPDIR)
# SETTLE=SECONDS waits that long before each run: ext4 is slow to reuse inodes and blocks it
# freed within the last 30 s, which the previous run's output just was.
# BEFORE=PATH also runs an older parcelo95 binary in the same rounds, as "before".
# SKIP="split cp" leaves those tools out.
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-7}
tool="$PWD/build/native/bin/parcelo95"
[ -x "$tool" ] || { echo "build first: bash tools/setup.sh" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "needs GNU time (Debian package time)" >&2; exit 1; }
before=${BEFORE:-}
[ -z "$before" ] || [ -x "$before" ] || { echo "BEFORE=$before is not a program" >&2; exit 1; }
skipped() { [[ " ${SKIP:-} " == *" $1 "* ]]; }
work=$(mktemp -d "${TMPDIR:-/tmp}/parcelo-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config"  # default flags: no MoreMem

head -c $((1 << 30)) /dev/urandom >"$work/source.bin"
cat "$work/source.bin" >/dev/null  # into the page cache

run() {  # name command...: one timed run into a fresh folder
  local name=$1; shift
  rm -rf "$work/out" && mkdir "$work/out" && sync
  sleep "${SETTLE:-0}"
  /usr/bin/time -f "$name %e %U %S %M" -a -o "$work/times" "$@" >/dev/null 2>&1
}

for ((i = 1; i <= rounds; i++)); do
  # The order turns every round, so that neither binary always follows the other.
  if [ -n "$before" ] && ((i % 2 == 0)); then
    run before "$before" split "$work/source.bin" "$work/out" --size 1457264 --yes --set NoReminders=1
  fi
  run parcelo95 "$tool" split "$work/source.bin" "$work/out" --size 1457264 --yes \
    --set NoReminders=1
  if [ -n "$before" ] && ((i % 2 == 1)); then
    run before "$before" split "$work/source.bin" "$work/out" --size 1457264 --yes --set NoReminders=1
  fi
  skipped split || run split split -b 1457264 "$work/source.bin" "$work/out/x"
  skipped cp || run cp cp --reflink=never "$work/source.bin" "$work/out/copy"
  echo "round $i of $rounds done" >&2
done
rm -rf "$work/out"

python3 - "$work/times" <<'PY'
import statistics, sys
runs = {}
for line in open(sys.argv[1]):
    name, wall, user, system, rss = line.split()
    runs.setdefault(name, []).append((float(wall), float(user) + float(system), int(rss)))
median = {name: (statistics.median(r[0] for r in rs), statistics.median(r[1] for r in rs),
                 max(r[2] for r in rs)) for name, rs in runs.items()}
print(f"{'tool':<10} {'runs':>4} {'wall s':>8} {'CPU s':>8} {'peak RSS':>10}")
for name in ("parcelo95", "before", "split", "cp"):
    if name not in median:
        continue
    wall, cpu, rss = median[name]
    print(f"{name:<10} {len(runs[name]):>4} {wall:>8.3f} {cpu:>8.3f} {rss / 1024:>7.1f} MiB")
p = median["parcelo95"]
if "before" in median:
    b = median["before"]
    print(f"parcelo95 / before:    wall {p[0] / b[0]:.3f}x, CPU {p[1] / max(b[1], 0.001):.3f}x")
if "split" in median:
    s = median["split"]
    print(f"GNU split / parcelo95: wall {s[0] / p[0]:.2f}x, CPU {s[1] / max(p[1], 0.001):.2f}x")
if "cp" in median:
    c = median["cp"]
    print(f"parcelo95 / cp:        wall {p[0] / c[0]:.2f}x, CPU {p[1] / max(c[1], 0.001):.2f}x")
PY
