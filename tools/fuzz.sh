#!/usr/bin/env bash
# Builds the installer's libFuzzer targets with clang and runs each from its seed corpus for
# a bounded time (FUZZ_SECONDS, 60 by default). Any finding fails the run; its input is kept
# in build/fuzz/findings/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-60}
CC=clang CXX=clang++ cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DINSTALLER_FUZZ=ON >/dev/null
cmake --build build/fuzz -j 2 --target fuzz_install_package fuzz_uninstall_record
mkdir -p build/fuzz/findings
for target in install_package uninstall_record; do
  corpus=build/fuzz/corpus/$target
  mkdir -p "$corpus"
  echo "fuzzing $target for ${seconds}s"
  build/fuzz/bin/fuzz_$target -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -max_len=8192 -print_final_stats=1 -artifact_prefix=build/fuzz/findings/$target- \
    "$corpus" "installer/fuzz/corpus/$target" 2>build/fuzz/$target.log \
    || { tail -n 60 build/fuzz/$target.log; echo "fuzz_$target found a fault"; exit 1; }
  grep -E '^stat::number_of_executed_units|^Done' build/fuzz/$target.log || true
done
