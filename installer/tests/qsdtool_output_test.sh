#!/usr/bin/env bash
# The built qsdtool's pack when its output cannot be written: the write fails part way (a
# file size limit; a full tmpfs when run as root), or the output is a folder, a FIFO or a
# device node. Each run exits 1 with its reason, never waits, and leaves its folder exactly
# as it was: the earlier Install.qsd byte for byte, no temporary file.
set -euo pipefail
tool=$1 installer=$2
work=$(mktemp -d)
mounted=
cleanup() {
  if [ -n "$mounted" ]; then umount "$mounted" || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

# Every entry of a folder, hidden ones too, with its type and the bytes of files.
listing() {
  (cd "$1" && find . -mindepth 1 -printf '%p %y %m\n' | sort &&
    find . -type f -print0 | sort -z | xargs -0 -r sha256sum)
}

# Runs pack with its output in folder $1 and limits $2 ("ulimit -f 0" or ":"); $3 the output,
# $4 the message expected on stderr. The folder must be left as it was.
expect_refusal() {
  local folder=$1 limit=$2 output=$3 message=$4 before after status=0 err
  before=$(listing "$folder")
  err=$(timeout 20 bash -c "$limit; trap '' XFSZ; exec \"\$@\"" _ \
        "$tool" pack "$work/pkg/Install.manifest" -o "$output" 2>&1 >/dev/null) || status=$?
  [ "$status" -eq 1 ] || fail "pack -o $output exited $status, not 1 ($err)"
  [ "$err" = "$message" ] || fail "pack -o $output said '$err', not '$message'"
  after=$(listing "$folder")
  [ "$before" = "$after" ] || fail "pack -o $output changed its folder:
$(diff <(echo "$before") <(echo "$after") || true)"
}

mkdir "$work/pkg" "$work/out"
cp "$installer/samples/"* "$work/pkg/"
printf 'an earlier package\n' >"$work/out/Install.qsd"

# The write itself fails: the earlier package stays whole.
expect_refusal "$work/out" "ulimit -f 0" "$work/out/Install.qsd" \
  "qsdtool: cannot write $work/out/Install.qsd: File too large"
grep -qx 'an earlier package' "$work/out/Install.qsd" || fail "the earlier package changed"

if [ "$(id -u)" -eq 0 ] && mkdir "$work/full" && mount -t tmpfs -o size=4k tmpfs "$work/full"; then
  mounted="$work/full"
  printf 'an earlier package\n' >"$work/full/Install.qsd"
  head -c 8192 /dev/zero >"$work/full/filler" 2>/dev/null || true
  expect_refusal "$work/full" ":" "$work/full/Install.qsd" \
    "qsdtool: cannot write $work/full/Install.qsd: No space left on device"
  mkdir "$work/dev"
  mknod "$work/dev/full" c 1 7
  expect_refusal "$work/dev" ":" "$work/dev/full" "qsdtool: $work/dev/full: a device, not a file"
  [ -c "$work/dev/full" ] || fail "the device node is gone"
else
  echo "not root: the full disk and the device node of our own are left out"
fi

mkdir "$work/out/empty"
expect_refusal "$work/out" ":" "$work/out/empty" "qsdtool: $work/out/empty: a folder, not a file"
mkfifo "$work/out/fifo"
expect_refusal "$work/out" ":" "$work/out/fifo" "qsdtool: $work/out/fifo: a FIFO, not a file"
expect_refusal "$work/out" ":" /dev/full "qsdtool: /dev/full: a device, not a file"
[ -c /dev/full ] || fail "/dev/full is gone"

# And when it can write, the package replaces the earlier one and nothing else is left.
"$tool" pack "$work/pkg/Install.manifest" -o "$work/out/Install.qsd" >/dev/null
cmp "$work/out/Install.qsd" "$installer/samples/Install.qsd"
[ "$(cd "$work/out" && find . -mindepth 1 | sort | tr '\n' ' ')" = "./Install.qsd ./empty ./fifo " ] ||
  fail "pack left other files: $(ls -A "$work/out")"
echo "qsdtool pack keeps what it cannot replace: ok"
