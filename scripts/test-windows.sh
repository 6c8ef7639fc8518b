#!/usr/bin/env bash
# Builds for Windows (scripts/build-windows.sh) and runs the cross-compiled
# tests under Wine through CTest in build-windows/. The Wine prefix is
# build-windows/wineprefix, made on the first run; no display is used.
#
#   scripts/test-windows.sh [--partial]
#
# With --partial (until the Windows platform code exists) the test programs
# that do not build yet are left out and named; without it they fail.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

partial=0
case "${1:-}" in
  --partial) partial=1 ;;
  "") ;;
  *) echo "usage: scripts/test-windows.sh [--partial]" >&2; exit 2 ;;
esac

t=$SECONDS
scripts/build-windows.sh "$@"
build_s=$((SECONDS - t))

dir=build-windows
winepfx=$root/$dir/wineprefix
run=$root/cmake/wine-run.sh
server=/usr/lib/wine/wineserver64
[ -x "$server" ] || server=$(command -v wineserver)

# The Wine server of this prefix (and what it still runs) ends with the
# script, whatever happens.
stop_wine() { WINEPREFIX=$winepfx "$server" -k 2>/dev/null || true; }
trap stop_wine EXIT

# The archives of the Linux build that the end-to-end tests compare with,
# from the sample game. Where a member lands in the archive, and the number
# of a scenario, follow the order in which the system lists a folder, which
# Windows sorts and Linux does not: "fixed" keeps the prologue and one other
# scenario, one picture in each picture folder and one data file, so that
# its archive cannot depend on that order; "full" is the whole game.
echo "== Archives of the Linux build in $dir/linux-reference/"
t=$SECONDS
native=$dir/native
ref=$root/$dir/linux-reference
cmake -S . -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DAVD_TESTS=OFF >>"$dir/native.log"
cmake --build "$native" -j "$(nproc)" --target avdconv make_sample_game >>"$dir/native.log"
rm -rf "$ref"
mkdir -p "$ref/full" "$ref/fixed/game" "$ref/fixed/DATA"
"$native/sample/make_sample_game" "$ref/full/game" "$ref/full/DATA" >/dev/null
(cd "$ref/full/game" && cp --parents MES/PROLOGUE.SIO MES/DAY01.SIO TITLE.MOE CG/bg03.moe TACHI/AOI3a03.MOE \
  OPENING/OP01.MOE "$ref/fixed/game/")
cp "$ref/full/DATA/SAMPLE.TXT" "$ref/fixed/DATA/"
for game in full fixed; do
  "$native/driver/avdconv" --output "$ref/$game" --data "$ref/$game/DATA" "$ref/$game/game" >"$ref/$game/stdout"
done
# "full-windows-order": the whole game by the Linux build, its folders listed
# as Windows lists them.
gcc -O2 -shared -fPIC -o "$native/windows_listing_order.so" tests/support/windows_listing_order.c -ldl
mkdir -p "$ref/full-windows-order"
LD_PRELOAD="$native/windows_listing_order.so" "$native/driver/avdconv" --quiet --output "$ref/full-windows-order" \
  --data "$ref/full/DATA" "$ref/full/game"
# "international": the game with Japanese file names in UTF-8 (and one name
# Shift-JIS cannot hold), by the Linux build in Windows' order.
mkdir -p "$ref/international"
"$native/sample/make_sample_game" "$ref/international/game" "$ref/international/DATA" --international
LD_PRELOAD="$native/windows_listing_order.so" "$native/driver/avdconv" --quiet --output "$ref/international" \
  --data "$ref/international/DATA" "$ref/international/game" >"$ref/international/stdout"
# "devices": the fixed game with pictures named like Windows' devices, made
# here since Windows (and Wine) make no such names through the usual calls.
rm -rf "$ref/devices"
mkdir -p "$ref/devices"
cp -r "$ref/fixed/game" "$ref/devices/game"
for name in CON AUX NUL COM1 LPT1; do cp "$ref/fixed/game/TITLE.MOE" "$ref/devices/game/$name.MOE"; done
LD_PRELOAD="$native/windows_listing_order.so" "$native/driver/avdconv" --quiet --output "$ref/devices" \
  --data "$ref/fixed/DATA" "$ref/devices/game" >"$ref/devices/stdout"
echo "   made in $((SECONDS - t)) s"
reference_s=$((SECONDS - t))

echo "== Wine prefix"
t=$SECONDS
if [ -f "$winepfx/.avd-prefix-ready" ]; then
  echo "   kept: $dir/wineprefix"
else
  "$run" "$winepfx" cmd /c exit 0 # creates it
  echo "   created $dir/wineprefix in $((SECONDS - t)) s"
fi
prefix_s=$((SECONDS - t))
# One Wine server for every test: started on demand, a server ends as soon
# as its last program does, and a test starting in that moment would find
# it gone ("recvmsg: Connection reset by peer"). Wine's own processes start
# with the first program, here, so that they hold none of CTest's pipes.
# (A server still running, as after making the prefix, is let end first.)
WINEPREFIX=$winepfx "$server" -w
WINEPREFIX=$winepfx "$server" -p
"$run" "$winepfx" cmd /c exit 0 </dev/null >/dev/null 2>&1

echo "== Tests under Wine"
t=$SECONDS
exclude=()
if [ $partial -eq 1 ]; then
  left_out=$(ctest --test-dir "$dir" -N -R '_NOT_BUILT$' | sed -n 's/^ *Test *#[0-9]*: \(.*\)_NOT_BUILT$/\1/p' |
    tr '\n' ' ')
  [ -z "$left_out" ] || echo "   left out (not built): $left_out"
  exclude=(-E '_NOT_BUILT$')
fi
AVD_EXPECT_CODE_PAGE=1252 ctest --test-dir "$dir" --output-on-failure -j "$(nproc)" --timeout 600 "${exclude[@]}"
test_s=$((SECONDS - t))

# The second code page: Japanese (932), as Wine takes it from a Japanese
# locale. Only what depends on the code page runs twice: the international
# game with avdtool.exe, and the name rule.
echo "== Tests under Wine in code page 932"
t=$SECONDS
if ! locale -a 2>/dev/null | grep -qix 'ja_JP.utf8'; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi
LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 AVD_EXPECT_CODE_PAGE=932 ctest --test-dir "$dir" --output-on-failure \
  -j "$(nproc)" --timeout 600 -R 'WindowsRun\.(RunsInTheCodePage|AJapaneseGame)|^ArchiveName\.|^PathForMessage\.|^MemberFileName\.'
test932_s=$((SECONDS - t))

echo "== Times: build ${build_s} s, Linux archives ${reference_s} s, Wine prefix ${prefix_s} s, tests ${test_s} s," \
  "code page 932 ${test932_s} s"
