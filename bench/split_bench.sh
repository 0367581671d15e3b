#!/usr/bin/env bash
# parcelo95 split against GNU split and an in-kernel cp. Runs alternate, the order turning
# every round, with a sync and an optional pause before each; medians of wall and CPU
# seconds and the peak resident memory are printed at the end, row by row.
#   bash bench/split_bench.sh [ROUNDS]    (default 7)
# Rows (ROWS="1g 6g pipe", the default "1g"):
#   1g    one 1 GiB file of random bytes in the page cache, cut into 1.44 MB pieces (737);
#         parcelo95, GNU split -b 1457264, cp, and floor: kernel_copy_floor, which only
#         creates each piece and fills it with copy_file_range (needs about 3 GiB free)
#   6g    one 6 GiB file of random bytes cut into 1000MB pieces: parcelo95 --size 1000MB
#         against split -b 1000M (needs about 13 GiB free)
#   pipe  the 1 GiB file through cat into 1.44 MB pieces: cat | parcelo95 split - --name
#         against cat | split -b 1457264 -
# SETTLE=SECONDS waits that long before each run: ext4 is slow to reuse inodes and blocks it
# freed within the last 30 s, which the previous run's output just was.
# BEFORE=PATH also runs an older parcelo95 binary in the same rounds, as "before".
# SKIP="split cp floor" leaves those tools out. NO_CHECKSUMS=1 adds --no-checksums to parcelo95.
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-7}
rows=${ROWS:-1g}
tool="$PWD/build/native/bin/parcelo95"
floor="$PWD/build/native/bin/kernel_copy_floor"
[ -x "$tool" ] || { echo "build first: bash tools/setup.sh" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "needs GNU time (Debian package time)" >&2; exit 1; }
before=${BEFORE:-}
[ -z "$before" ] || [ -x "$before" ] || { echo "BEFORE=$before is not a program" >&2; exit 1; }
skipped() { [[ " ${SKIP:-} " == *" $1 "* ]]; }
wanted() { [[ " $rows " == *" $1 "* ]]; }
work=$(mktemp -d "${TMPDIR:-/tmp}/parcelo-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config"  # default flags: no MoreMem
flags=(--yes --set NoReminders=1)
[ -z "${NO_CHECKSUMS:-}" ] || flags+=(--no-checksums)

if wanted 1g || wanted pipe; then
  head -c $((1 << 30)) /dev/urandom >"$work/source.bin"
  cat "$work/source.bin" >/dev/null  # into the page cache
fi
if wanted 6g; then
  head -c $((6 << 30)) /dev/urandom >"$work/big.bin"
fi

run() {  # row name command...: one timed run into a fresh folder
  local row=$1 name=$2; shift 2
  rm -rf "$work/out" && mkdir "$work/out" && sync
  sleep "${SETTLE:-0}"
  /usr/bin/time -f "$row $name %e %U %S %M" -a -o "$work/times" "$@" >/dev/null 2>&1
}
# piped FILE COMMAND...: the command reading the file from a pipe; the CPU time counts cat too.
piped=(bash -c 'set -o pipefail; cat "$0" | "$@"')

ours() {  # row: parcelo95 and, when given, the older binary, in an order that turns
  local row=$1 binary
  for binary in parcelo95 before; do
    [ "$binary" = parcelo95 ] || [ -n "$before" ] || continue
    local program=$tool
    [ "$binary" = parcelo95 ] || program=$before
    case $row in
      1g) run 1g "$binary" "$program" split "$work/source.bin" "$work/out" --size 1457264 "${flags[@]}" ;;
      6g) run 6g "$binary" "$program" split "$work/big.bin" "$work/out" --size 1000MB "${flags[@]}" ;;
      pipe) run pipe "$binary" "${piped[@]}" "$work/source.bin" "$program" split - "$work/out" \
        --name source.bin --size 1457264 "${flags[@]}" ;;
    esac
  done
}
theirs() {  # row: GNU split (and cp for 1g)
  case $1 in
    1g)
      skipped split || run 1g split split -b 1457264 "$work/source.bin" "$work/out/x"
      skipped cp || run 1g cp cp --reflink=never "$work/source.bin" "$work/out/copy"
      skipped floor || run 1g floor "$floor" "$work/source.bin" 1457264 "$work/out/x"
      ;;
    6g) skipped split || run 6g split split -b 1000M "$work/big.bin" "$work/out/x" ;;
    pipe) skipped split || run pipe split "${piped[@]}" "$work/source.bin" split -b 1457264 - "$work/out/x" ;;
  esac
}

for ((i = 1; i <= rounds; i++)); do
  for row in $rows; do
    if ((i % 2 == 1)); then ours "$row"; theirs "$row"; else theirs "$row"; ours "$row"; fi
  done
  echo "round $i of $rounds done" >&2
done
rm -rf "$work/out"

python3 - "$work/times" <<'PY'
import statistics, sys
runs = {}
for line in open(sys.argv[1]):
    row, name, wall, user, system, rss = line.split()
    runs.setdefault(row, {}).setdefault(name, []).append(
        (float(wall), float(user) + float(system), int(rss)))
for row, tools in runs.items():
    median = {name: (statistics.median(r[0] for r in rs), statistics.median(r[1] for r in rs),
                     max(r[2] for r in rs)) for name, rs in tools.items()}
    print(f"\n{row}")
    print(f"{'tool':<10} {'runs':>4} {'wall s':>8} {'CPU s':>8} {'peak RSS':>10}")
    for name in ("parcelo95", "before", "split", "cp", "floor"):
        if name not in median:
            continue
        wall, cpu, rss = median[name]
        print(f"{name:<10} {len(tools[name]):>4} {wall:>8.3f} {cpu:>8.3f} {rss / 1024:>7.1f} MiB")
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
    if "floor" in median:
        f = median["floor"]
        print(f"parcelo95 / floor:     wall {p[0] / f[0]:.2f}x, CPU {p[1] / max(f[1], 0.001):.2f}x")
PY
