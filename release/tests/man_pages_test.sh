#!/bin/sh
# The manual pages: each renders without a warning from groff or man, has the sections a
# user looks for, and names every option, command and variable its tool's help names, so a
# new option cannot ship undocumented.
#   man_pages_test.sh MANDIR PARCELO95 QSDTOOL
set -u
mandir=$1 parcelo95=$2 qsdtool=$3
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

for page in parcelo95 qsdtool; do
  file="$mandir/$page.1"
  warnings=$(MANWIDTH=80 man --warnings -l "$file" 2>&1 >/dev/null) || fail "$page.1 does not render"
  [ -z "$warnings" ] || fail "$page.1 renders with warnings: $warnings"
  for section in NAME SYNOPSIS DESCRIPTION OPTIONS ENVIRONMENT FILES "EXIT STATUS" EXAMPLES; do
    grep -q "^\.SH \"*$section\"*\$" "$file" || fail "$page.1 has no $section section"
  done
done

# What a section of the source says once its escapes are undone, one word a line.
words() {  # PAGE SECTION
  sed -n "/^\.SH \"*$2\"*\$/,/^\.SH /p" "$mandir/$1.1" |
    sed -e 's/\\-/-/g' -e 's/\\e/\\/g' -e 's/\\f[BIRP]//g' | tr -s ' \t"(),;:|[]' '\n'
}
names() {  # PAGE SECTION NAME...: each NAME must be a word of that section
  page=$1 section=$2; shift 2
  for name in "$@"; do
    words "$page" "$section" | grep -qxF -e "$name" -e "$name." || fail "$page.1 names no $name in $section"
  done
}

help=$("$parcelo95" --help)
commands=$(printf '%s\n' "$help" | sed -n '/^Subcommands:/,/^$/s/^  \([a-z]*\) .*/\1/p')
[ -n "$commands" ] || fail "parcelo95 --help lists no commands"
all_help=$help
for command in $commands; do all_help="$all_help
$("$parcelo95" "$command" --help)"; done
options=$(printf '%s\n' "$all_help" | grep -o -- '--[a-z][a-z-]*' | sort -u)
variables=$(printf '%s\n' "$all_help" | grep -o '\b[A-Z][A-Z0-9_]*_[A-Z0-9_]*\b' | sort -u)
# shellcheck disable=SC2086
names parcelo95 COMMANDS $commands
# shellcheck disable=SC2086
names parcelo95 OPTIONS $options
# shellcheck disable=SC2086
names parcelo95 ENVIRONMENT $variables

qhelp=$("$qsdtool" --help)
qcommands=$(printf '%s\n' "$qhelp" | sed -n 's/^usage: qsdtool \([a-z]*\) .*/\1/p; s/^  *qsdtool \([a-z]*\) .*/\1/p' | sort -u)
[ -n "$qcommands" ] || fail "qsdtool --help lists no commands"
qoptions=$(printf '%s\n' "$qhelp" | grep -o -- '[[ ]--*[a-z][a-z-]*' | cut -c2- | sort -u)
sections=$(printf '%s\n' "$qhelp" | grep -o '^  \[[a-z ]*\]' | sed 's/^  //' | sort -u | tr ' ' '~')
# shellcheck disable=SC2086
names qsdtool COMMANDS $qcommands
# shellcheck disable=SC2086
names qsdtool OPTIONS $qoptions
for section in $sections; do
  section=$(printf '%s' "$section" | tr '~' ' ')
  grep -qF ".B $section" "$mandir/qsdtool.1" || fail "qsdtool.1 does not describe $section"
done

[ "$failures" -eq 0 ] && echo "Both manual pages render cleanly and name every option." 
[ "$failures" -eq 0 ]
