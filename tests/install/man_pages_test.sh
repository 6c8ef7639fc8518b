#!/usr/bin/env bash
# The manual pages against the programs: every option and command their
# --help names, and every exit status it gives, is in each page of the
# program, in both languages; the pages carry the version; groff finds
# nothing to warn about at any width.
# Usage: man_pages_test.sh BUILD_DIR AVDCONV AVDTOOL SOURCE_DIR
set -uo pipefail
build=$1 avdconv=$2 avdtool=$3 source=$4
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

version=$(head -n 1 "$source/VERSION")
changelog=$(sed -n '1s/^avdconv (\([^)]*\)).*/\1/p' "$source/debian/changelog")
[ "$changelog" = "$version" ] || fail "debian/changelog has $changelog, VERSION has $version"

# The page as text a search can read: "\-" as "-", font changes dropped.
plain() { sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' "$1"; }

# The section of page $1 whose heading is $2 or $3.
section() {
  plain "$1" | awk -v a="$2" -v b="$3" '/^\.SH/ { on = ($2 == a || $2 == b) } on'
}

check_program() {
  local program=$1 help=$2 page words word numbers n text statuses
  words=$(grep -o -- '--[a-z][a-z-]*' <<<"$help" | sort -u)
  # avdtool's commands: the first word after the program on a usage line.
  words+=$'\n'$(sed -n "s/^ *$program \([a-z][a-z-]*\).*/\1/p" <<<"$help" | sort -u)
  # The numbers of the exit statuses: in the help's text on them, which
  # ends at a blank line or the next usage line, those after "status",
  # "status:", ";" or "," in a sentence, or at the start of a line of a table.
  text=$(awk '/[Ee]xit status/ { on = 1 } on && seen && (/^$/ || /^  [a-z]+ [a-z]/) { exit } on { print; seen = 1 }' \
    <<<"$help")
  numbers=$({ grep -oE '^ +[0-9]+  ' <<<"$text"; tr '\n' ' ' <<<"$text" | grep -oE '(status:? |; |, )[0-9]+'; } |
    grep -oE '[0-9]+' | sort -u)
  [ -n "$numbers" ] || fail "$program --help names no exit status"
  for page in "$build/man/man1/$program.1" "$build/man/ja/man1/$program.1"; do
    [ -f "$page" ] || {
      fail "$page is missing"
      continue
    }
    head -n 1 "$page" | grep -qF "\"$program $version\"" || head -n 1 "$page" | grep -qF "\"avdconv $version\"" ||
      fail "$page: the heading does not carry version $version"
    text=$(plain "$page")
    for word in $words; do
      grep -qwF -- "$word" <<<"$text" || fail "$page does not name $word"
    done
    statuses=$(section "$page" "EXIT" "終了ステータス")
    for n in $numbers; do
      grep -qE "(^|[^0-9])$n([^0-9]|$)" <<<"$statuses" || fail "$page: exit status $n is not in its section"
    done
  done
}

check_program avdconv "$(LC_ALL=C LANG=C "$avdconv" --help)"
check_program avdtool "$(LC_ALL=C LANG=C "$avdtool" --help)"

# groff's warnings, at a narrow, the usual and a wide terminal.
for page in "$build"/man/man1/*.1 "$build"/man/ja/man1/*.1; do
  for width in 40 80 132; do
    warnings=$(groff -ww -z -k -Tutf8 -rLL="${width}n" -man "$page" 2>&1)
    [ -z "$warnings" ] || fail "$page at $width columns: $warnings"
  done
done

[ $failures -eq 0 ] && echo "all pages agree with the programs"
exit $((failures > 0))
