#!/usr/bin/env bash
# Recovery data for 1 GiB at 10 %: our writer (fed once, in 5 MiB chunks, as a split feeds
# it) against par2 create -r10 over the same pieces, and against par2 create with our block
# size and count. Wall and CPU seconds and peak memory by /usr/bin/time.
#   bash bench/recovery_bench.sh [PIECES]     (PIECES: 10 by default; 737 for floppies)
# ONLY_OURS=1 leaves out par2.
set -euo pipefail
cd "$(dirname "$0")/.."
pieces=${1:-10}
build=build/native
cmake --build "$build" -j 2 --target recovery_bench >/dev/null
bench=$(realpath "$build/bin/recovery_bench")
work=$(mktemp -d /tmp/recovery_bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
cd "$work"
head -c $((1024 * 1024 * 1024)) /dev/urandom > source
size=$(( (1024 * 1024 * 1024 + pieces - 1) / pieces ))
split -b "$size" -a 3 -d source HOLIDA~1.
rm source
list=(HOLIDA~1.*)
cat "${list[@]}" > /dev/null  # into the page cache

run() {  # NAME COMMAND...
  local name=$1; shift
  sync
  /usr/bin/time -f "%e %U %S %M" -o time.txt "$@" > out.txt
  read -r wall user sys rss < time.txt
  printf '| %s | %s | %.2f | %.0f MiB |\n' "$name" "$wall" "$(echo "$user + $sys" | bc)" \
    "$(echo "$rss / 1024" | bc)"
}

echo "${#list[@]} pieces of $size bytes"
run "parcelo95 recovery writer" "$bench" 10 256 OURS "${list[@]}"
cat out.txt
read -r _ _ block _ _ _ recovery _ < out.txt
block=${block%,}
rm -f OURS*.par2
[ -n "${ONLY_OURS:-}" ] && exit 0
run "par2 create -r10" par2 create -q -r10 THEIRS.par2 "${list[@]}"
rm -f THEIRS*.par2
run "par2 create -s$block -c$recovery" par2 create -q -s"$block" -c"$recovery" SAME.par2 "${list[@]}"
rm -f SAME*.par2
