#!/usr/bin/env bash
# Set-up, build, then split the bundled sample into build/demo and rebuild it from the pieces.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
source="samples/Field Notes 1998.txt"
rm -rf build/demo && mkdir -p build/demo
build/native/bin/parcelo95 split "$source" build/demo --size 20000 --yes
echo
ls -l build/demo
echo
cat build/demo/*.bat | tr -d '\r'
echo
cat build/demo/FIELDN~1.0?? | cmp - "$source" && echo "Pieces rebuild the source byte for byte."
