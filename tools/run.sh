#!/usr/bin/env bash
# Set-up, build, then split the bundled sample into build/demo with parcelo95 and join the
# pieces again in a second folder, showing each step.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
tool=build/native/bin/parcelo95
source="samples/Field Notes 1998.txt"
rm -rf build/demo && mkdir -p build/demo/pieces build/demo/rejoined
export XDG_CONFIG_HOME="$PWD/build/demo/config"  # the demo keeps its own option flags
show() { printf '\n$ %s\n' "$*"; "$@"; }
show "$tool" split "$source" build/demo/pieces --size 20000 --yes
show ls -l build/demo/pieces
printf '\nThe join file, as DOS sees it:\n'
cat build/demo/pieces/*.bat | tr -d '\r'
echo
cp build/demo/pieces/* build/demo/rejoined/
show "$tool" join build/demo/rejoined
show ls -l build/demo/rejoined
cmp "build/demo/rejoined/Field Notes 1998.txt" "$source" &&
  printf '\nparcelo95 join rebuilt "%s" byte for byte.\n' "$source"
