#!/usr/bin/env bash
# wine-run.sh PREFIX PROGRAM.exe [ARGS...]
#
# Runs a Windows program under Wine for CTest and GoogleTest discovery (the
# toolchain's CMAKE_CROSSCOMPILING_EMULATOR), in the Wine prefix PREFIX,
# which is created on first use. Nothing waits for a display and Wine prints
# no diagnostics of its own; the program's exit status is Wine's (the low
# 8 bits of the Windows exit code).
set -euo pipefail
[ $# -ge 2 ] || { echo "usage: wine-run.sh PREFIX PROGRAM [ARGS...]" >&2; exit 2; }
prefix=$1
shift

wine="" server=""
for w in /usr/lib/wine/wine64 "$(command -v wine64 || true)" "$(command -v wine || true)"; do
  if [ -n "$w" ] && [ -x "$w" ]; then wine=$w; break; fi
done
for w in /usr/lib/wine/wineserver64 "$(command -v wineserver || true)"; do
  if [ -n "$w" ] && [ -x "$w" ]; then server=$w; break; fi
done
if [ -z "$wine" ] || [ -z "$server" ]; then
  echo "wine-run.sh: no Wine found (apt-get install wine64)" >&2
  exit 127
fi

export WINEPREFIX=$prefix
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installer dialog when the prefix is made, and no menu
# entries or file associations written to the home folder.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}
unset DISPLAY WAYLAND_DISPLAY
# The prefix links Desktop, Documents and the like to the home folder: give
# it one of its own.
export HOME=$prefix/home

# Tests run in parallel: the first one creates the prefix, the others wait.
# The registry files are written when the Wine server ends, hence the wait;
# the mark says the prefix is whole.
ready="$prefix/.avd-prefix-ready"
if [ ! -f "$ready" ]; then
  mkdir -p "$(dirname "$prefix")" "$HOME"
  (
    flock 9
    if [ ! -f "$ready" ]; then
      "$wine" wineboot -i >/dev/null 2>&1 || true
      "$server" -w
      [ -f "$prefix/system.reg" ] || { echo "wine-run.sh: could not create the Wine prefix $prefix" >&2; exit 1; }
      touch "$ready"
    fi
  ) 9>"$prefix.lock"
fi

exec "$wine" "$@"
