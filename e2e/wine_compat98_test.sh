#!/usr/bin/env bash
# What the console tools' C++ runtime would take from later Windows, given over what Windows
# 98 has (compat98/): the probe calls each replacement the way the libraries do, under Wine,
# on a file in a folder named outside ASCII.
set -euo pipefail
cd "$(dirname "$0")/.."
source e2e/wine_session.sh
work=$(mktemp -d /tmp/compat98-wine-XXXXXX)
# Wine names Unix files in the locale's encoding: UTF-8, as the names here are written.
export LANG=C.UTF-8 LC_ALL=C.UTF-8

wine_prefix_start "$work"
mkdir "$work/Café"
head -c 123457 /dev/urandom >"$work/Café/probe file.bin"
if ! timeout 120 wine "$bin/compat98_probe.exe" "$(winpath "$work/Café/probe file.bin")" 123457 \
    </dev/null >"$work/probe.log" 2>&1; then
  echo "FAIL: the replacements of compat98"; cat "$work/probe.log"; exit 1
fi
tr -d '\r' <"$work/probe.log"
