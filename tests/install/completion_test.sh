#!/usr/bin/env bash
# The bash completions, driven as bash drives them on Tab: options, --jobs
# values, folders, archives, and the member names avdtool lists.
# Usage: completion_test.sh AVDCONV AVDTOOL MAKE_SAMPLE_GAME SOURCE_DIR
# Exit status 77 (skipped) without bash-completion.
set -uo pipefail
avdconv=$1 avdtool=$2 make_sample=$3 source=$4
[ -f /usr/share/bash-completion/bash_completion ] || exit 77
# shellcheck disable=SC1091
source /usr/share/bash-completion/bash_completion
source "$source/completions/avdconv"
source "$source/completions/avdtool"

# The candidates for the command line $1 with the cursor at its end, on one
# line, sorted.
candidates() {
  local line=$1
  COMP_LINE=$line
  COMP_POINT=${#line}
  read -ra COMP_WORDS <<<"$line"
  [[ $line == *" " ]] && COMP_WORDS+=("")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  "_${COMP_WORDS[0]}" "${COMP_WORDS[0]}" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
  printf '%s\n' "${COMPREPLY[@]}" | LC_ALL=C sort | tr '\n' ' ' | sed 's/ $//'
}
failures=0
expect() {
  local got
  got=$(candidates "$1")
  [ "$got" = "$2" ] || {
    echo "FAIL: '$1' completes to '$got', not '$2'"
    failures=$((failures + 1))
  }
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$make_sample" "$work/game" "$work/DATA" >/dev/null || exit 1
"$avdconv" --quiet --output "$work" --data "$work/DATA" "$work/game" || exit 1
touch "$work/notes.txt" "$work/OLD.AVD" "$work/game/MES/EXTRA.sio"
mkdir -p "$work/bin" && cp "$avdtool" "$work/bin/avdtool"
PATH=$work/bin:$PATH
cd "$work" || exit 1

expect "avdconv --q" "--quiet"
expect "avdconv --" "-- --data --force --help --jobs --output --quiet --version"
expect "avdconv --jobs=" "$(seq 1 "$(($(nproc) > 64 ? 64 : $(nproc)))" | tr '\n' ' ' | sed 's/ $//')"
expect "avdconv --output " "DATA bin game"
expect "avdconv --jobs 2 " "DATA bin game"
expect "avdtool " "--help contact-sheet disasm extract list verify"
expect "avdtool verify " "DATA DAV299.AVD OLD.AVD bin game"
expect "avdtool list DAV299.AVD --sort " "name offset size"
expect "avdtool extract DAV299.AVD --" "-- --directory --png"
expect "avdtool extract DAV299.AVD -" "-- --directory --png -d"
expect "avdtool extract DAV299.AVD -d " "DATA bin game"
expect "avdtool extract DAV299.AVD SEEN00" "SEEN001.TXT SEEN002.TXT SEEN003.TXT SEEN004.TXT SEEN005.TXT"
expect "avdtool extract ./DAV299.AVD -d out --png VOI" "VOICE.LST"
expect "avdtool extract DAV299.AVD --directory=out VOI" "VOICE.LST"
expect "avdtool disasm DAV299.AVD " "SEEN001.TXT SEEN002.TXT SEEN003.TXT SEEN004.TXT SEEN005.TXT"
expect "avdtool disasm --source game/MES/EX" "game/MES/EXTRA.sio"
expect "avdtool disasm notes.txt " ""
expect "avdtool contact-sheet DAV299.AVD " "DATA bin game"
expect "avdtool contact-sheet DAV299.AVD sheet.png --" "-- --columns --force"

[ $failures -eq 0 ] && echo "every completion as expected"
exit $((failures > 0))
