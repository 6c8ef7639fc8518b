#!/usr/bin/env bash
# Cross-compiles the converter for 64-bit Windows (in build-windows/) with
# Debian's mingw-w64, and packs dist/avdconv-<version>-windows-x86_64.zip
# (the version from the file VERSION): avdconv.exe, the archive inspector
# avdtool.exe, a README for Windows users and a sample DATA folder.
#
# Installs what is missing with apt-get, then builds once and keeps in
# build-windows/deps/:
#  - LZO from Debian's own source package (apt verifies its checksums, and
#    dpkg-source its signature): only the init check, LZO1X-999 compression
#    and the safe decompressor, as a static liblzo2.a;
#  - GoogleTest from Debian's sources in /usr/src/googletest;
#  - libpng from Debian's own source package, for avdtool, with zlib from
#    Debian's libz-mingw-w64-dev;
#  - utf8proc from Debian's own source package (the names' normaliser);
# all installed into build-windows/deps/prefix for the toolchain file
# cmake/mingw-w64-x86_64.cmake. scripts/test-windows.sh runs the tests.
#
#   scripts/build-windows.sh [--partial]
#
# Every target is built. Without --partial the script fails when any of them
# does not build; with --partial it reports which did not and succeeds as
# long as the LZO test program (the probe of the whole chain) built.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

partial=0
case "${1:-}" in
  --partial) partial=1 ;;
  "") ;;
  *) echo "usage: scripts/build-windows.sh [--partial]" >&2; exit 2 ;;
esac

dir=build-windows
deps=$root/$dir/deps
prefix=$deps/prefix
toolchain=$root/cmake/mingw-w64-x86_64.cmake
triple=x86_64-w64-mingw32
jobs=$(nproc)
started=$SECONDS

# --- Packages -----------------------------------------------------------------
# debian-keyring: the keys dpkg-source checks a source package's signature
# against. liblzo2-dev: the LZO version to build for Windows is the one the
# Linux build uses, so both compress alike. libpng-dev: the build for this
# machine (the sample DATA folder, the Linux archives the tests compare
# with) configures the whole project, avdtool included. libutf8proc-dev: the
# utf8proc version to build for Windows is the one the Linux build links.
# locales: the
# Japanese locale that runs Wine in code page 932 for the tests.
packages=(cmake ninja-build g++ liblzo2-dev libpng-dev libutf8proc-dev g++-mingw-w64-x86-64-posix wine64 dpkg-dev debian-keyring
          googletest zip libz-mingw-w64-dev gettext locales)
source scripts/packages.sh
install_missing "${packages[@]}"

# A build of a dependency is kept while its recipe is unchanged: the stamp
# holds the recipe, the toolchain file and the compiler's version.
recipe_key() {
  {
    echo "$1"
    sha256sum "$toolchain"
    "$triple-gcc-posix" --version | head -1
  } | sha256sum | cut -d' ' -f1
}

# debian_source: Debian's source packages, checked (scripts/debian-source.sh).
source "$root/scripts/debian-source.sh"

# The C libraries (scripts/static-libraries.sh), compiled for Windows.
target=Windows
cc=("$triple-gcc-posix")
ar=("$triple-ar" rcsD)
source "$root/scripts/static-libraries.sh"
build_lzo
# Over zlib from Debian's libz-mingw-w64-dev.
build_png ""
build_utf8proc

# --- GoogleTest -----------------------------------------------------------------
gtest_version=$(dpkg-query -W -f='${Version}' googletest)
gtest_key=$(recipe_key "googletest $gtest_version Release BUILD_GMOCK=OFF")
if [ "$(cat "$deps/googletest.stamp" 2>/dev/null)" != "$gtest_key" ]; then
  t=$SECONDS
  echo "== GoogleTest $gtest_version for Windows, from /usr/src/googletest"
  rm -rf "$deps/googletest-build" "$deps/googletest.stamp" "$prefix/include/gtest" "$prefix/lib/cmake/GTest" \
    "$prefix"/lib/libgtest*.a
  cmake -S /usr/src/googletest -B "$deps/googletest-build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DAVD_WINDOWS_DEPS="$prefix" -DCMAKE_BUILD_TYPE=Release -DBUILD_GMOCK=OFF \
    -DCMAKE_INSTALL_PREFIX="$prefix" >"$deps/googletest-configure.log"
  cmake --build "$deps/googletest-build" -j "$jobs" >"$deps/googletest-build.log"
  cmake --install "$deps/googletest-build" >"$deps/googletest-install.log"
  echo "$gtest_key" >"$deps/googletest.stamp"
  echo "   GoogleTest built in $((SECONDS - t)) s"
fi

# --- The converter ----------------------------------------------------------------
echo "== Configuring and building for Windows in $dir/"
t=$SECONDS
mkdir -p "$dir"
cmake -S . -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DAVD_WINDOWS_DEPS="$prefix" -DAVD_WERROR=ON \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >"$dir/configure.log"
build_ok=1
# -k 0: every target that can be built is.
cmake --build "$dir" -j "$jobs" -- -k 0 >"$dir/build.log" 2>&1 || build_ok=0
echo "   built in $((SECONDS - t)) s (log: $dir/build.log)"

# Which programs were built, from the targets CMake knows.
built=() not_built=()
while IFS= read -r exe; do
  if [ -f "$dir/$exe" ]; then built+=("$exe"); else not_built+=("$exe"); fi
done < <(ninja -C "$dir" -t targets all | sed -n 's/^\([^:]*\.exe\): CXX_EXECUTABLE_LINKER.*/\1/p' | sort)
echo "   built:     ${built[*]:-none}"
if [ ${#not_built[@]} -gt 0 ]; then
  echo "   not built: ${not_built[*]}"
  echo "   failed to compile: $(sed -n 's|^FAILED: \(.*\)/CMakeFiles/.*|\1|p' "$dir/build.log" | sort -u | tr '\n' ' ')"
  echo "   first errors:"
  grep -m 6 -E 'error:' "$dir/build.log" | sed "s|^$root/|     |" || true
fi

# --- The package -------------------------------------------------------------------
exe="$dir/driver/avdconv.exe"
if [ -f "$exe" ]; then
  echo "== Packing dist/"
  # The sample DATA folder comes from the generator built for this machine.
  cmake -S . -B "$dir/native" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DAVD_TESTS=OFF >"$dir/native.log"
  cmake --build "$dir/native" -j "$jobs" --target make_sample_game >>"$dir/native.log"
  stage="$dir/stage/avdconv"
  rm -rf "$dir/stage" && mkdir -p "$stage"
  "$dir/native/sample/make_sample_game" "$dir/stage/sample-game" "$stage/DATA" >/dev/null
  rm -rf "$dir/stage/sample-game"
  # The same sources give the same zip: the time of the last commit in the
  # exe's header and on every file, sorted names, no extra attributes.
  epoch=$(git log -1 --format=%ct 2>/dev/null || echo 946684800)
  SOURCE_DATE_EPOCH=$epoch "$triple-strip" -o "$stage/avdconv.exe" "$exe"
  SOURCE_DATE_EPOCH=$epoch "$triple-strip" -o "$stage/avdtool.exe" "$dir/avdtool/avdtool.exe"
  # Windows' own editors want CR LF, and older Notepads a byte-order mark to
  # read the file as UTF-8.
  { printf '\357\273\277'; sed 's/$/\r/' docs/windows-readme.txt; } >"$stage/README.txt"
  mkdir -p dist
  cp "$stage/avdconv.exe" dist/avdconv.exe
  cp "$stage/avdtool.exe" dist/avdtool.exe
  find "$dir/stage" -exec touch -h -d "@$epoch" {} +
  zip="avdconv-$(head -n 1 VERSION)-windows-x86_64.zip"
  rm -f dist/avdconv-*windows-x86_64.zip
  (cd "$dir/stage" && find avdconv | LC_ALL=C sort | TZ=UTC zip -q -X -D -@ "$root/dist/$zip")
  echo "   dist/avdconv.exe, dist/avdtool.exe, dist/$zip"
else
  echo "== No package: avdconv.exe did not build"
fi

echo "== Windows build took $((SECONDS - started)) s"
if [ $build_ok -eq 0 ]; then
  if [ $partial -eq 1 ] && [ -f "$dir/tests/archive/lzo_tests.exe" ]; then
    echo "Partial build: what is listed as not built above needs the Windows platform code."
    exit 0
  fi
  echo "FAILED: the Windows build (see $dir/build.log)" >&2
  exit 1
fi
