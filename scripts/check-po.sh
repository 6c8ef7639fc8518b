#!/usr/bin/env bash
# Checks the message catalogs po/*.po against the sources: msgfmt's own
# checks, an entry for every text that the programs pass to Tr(), and in
# each entry the same printf conversions as in its key. Run by CTest.
set -euo pipefail
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

find base chooser platform archive audit scenario scene image driver avdtool \( -name '*.cpp' -o -name '*.h' \) | LC_ALL=C sort \
  >"$work/sources"
# Only Tr() marks a text; every argument of it is a printf format.
xgettext --force-po --language=C++ --from-code=UTF-8 --keyword= --keyword=Tr --flag=Tr:1:c-format --keyword=Report --flag=Report:1:c-format --keyword=ToTranslate --flag=ToTranslate:1:c-format --keyword=Translate --flag=Translate:1:c-format \
  --files-from="$work/sources" -o "$work/messages.pot"

status=0
for po in po/*.po; do
  if ! msgfmt --check -o /dev/null "$po"; then
    echo "$po: msgfmt --check fails" >&2
    status=1
  fi
  # Every key has a translation (an untranslated or fuzzy entry counts as none).
  if ! msgcmp --no-fuzzy-matching "$po" "$work/messages.pot"; then
    echo "$po: texts of the programs without a translation (above)" >&2
    status=1
  fi
  # The keys' flags (c-format) carried over, so that msgfmt compares each
  # translation's conversions with its key's.
  # msgmerge marks an entry whose conversions differ as fuzzy, and msgfmt
  # passes over fuzzy entries: the marks go, so that msgfmt sees them all (a
  # catalog has no fuzzy entry of its own, msgcmp above sees to that).
  msgmerge --quiet --force-po --no-fuzzy-matching "$po" "$work/messages.pot" -o "$work/merged.po"
  msgattrib --clear-fuzzy "$work/merged.po" -o "$work/merged.po"
  if ! msgfmt --check-format -o /dev/null "$work/merged.po"; then
    echo "$po: a translation's printf conversions differ from its key's (above)" >&2
    status=1
  fi
done
[ $status -eq 0 ] && echo "po: every catalog is complete and well-formed"
exit $status
