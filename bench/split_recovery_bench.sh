#!/usr/bin/env bash
# A 1 GiB split into ten pieces: with --recovery 10 against the same split without, and
# against par2 create -r10 over the same pieces afterwards. Wall and CPU seconds and peak
# memory by /usr/bin/time; par2 verify then checks our set (not timed).
#   bash bench/split_recovery_bench.sh        ONLY_OURS=1 leaves out par2 create
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/native
cmake --build "$build" -j 2 --target parcelo95 >/dev/null
tool=$(realpath "$build/bin/parcelo95")
work=$(mktemp -d /tmp/split_recovery_bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
cd "$work"
export XDG_CONFIG_HOME="$work/config"
head -c $((1024 * 1024 * 1024)) /dev/urandom > source.bin
cat source.bin > /dev/null  # into the page cache
piece=$(( (1024 * 1024 * 1024 + 9) / 10 ))

run() {  # NAME COMMAND...
  local name=$1; shift
  sync
  /usr/bin/time -f "%e %U %S %M" -o time.txt "$@" > out.txt 2>&1
  read -r wall user sys rss < time.txt
  printf '| %s | %s | %.2f | %.0f MiB |\n' "$name" "$wall" "$(echo "$user + $sys" | bc)" \
    "$(echo "$rss / 1024" | bc)"
}

echo "| run | wall s | CPU s | peak RSS |"
echo "|---|---|---|---|"
mkdir plain ours
split=("$tool" split source.bin --size "$piece" --yes --set NoReminders=1)
run "parcelo95 split" "${split[@]}" plain
rm -rf plain
run "parcelo95 split --recovery 10" "${split[@]}" ours --recovery 10
(cd ours && par2 verify -q SOURCE.par2 > ../verify.txt 2>&1) && echo "par2 verify: our set is whole" ||
  { echo "par2 verify refused our set:"; cat verify.txt; }
[ -n "${ONLY_OURS:-}" ] && exit 0
rm -f ours/*.par2
run "par2 create -r10 (same pieces)" bash -c 'cd ours && par2 create -q -r10 THEIRS.par2 SOURCE.0*'
