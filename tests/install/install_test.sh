#!/usr/bin/env bash
# `cmake --install` of this build under a fresh prefix puts exactly the two
# programs, the four manual pages and the two completions in the usual
# layout, and the installed programs run.
# Usage: install_test.sh BUILD_DIR
set -uo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null || exit 1
got=$(cd "$prefix" && find . -type f | LC_ALL=C sort)
expected="./bin/avdconv
./bin/avdtool
./share/bash-completion/completions/avdconv
./share/bash-completion/completions/avdtool
./share/man/ja/man1/avdconv.1
./share/man/ja/man1/avdtool.1
./share/man/man1/avdconv.1
./share/man/man1/avdtool.1"
if [ "$got" != "$expected" ]; then
  echo "FAIL: installed"
  echo "$got"
  exit 1
fi
if ! "$prefix/bin/avdconv" --version >/dev/null || ! "$prefix/bin/avdtool" --help >/dev/null; then
  echo "FAIL: the installed programs do not run"
  exit 1
fi
echo "installed as expected"
