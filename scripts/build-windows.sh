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

# Compiles the C files $4... of folder $2 with the flags of the array named
# $1 into the static library $prefix/lib/$3.
static_library() {
  local -n cflags=$1
  local src=$2 name=$3
  shift 3
  local objects=() f
  mkdir -p "$src.obj" "$prefix/lib"
  for f in "$@"; do
    "$triple-gcc-posix" "${cflags[@]}" -c "$src/$f.c" -o "$src.obj/$f.o"
    objects+=("$src.obj/$f.o")
  done
  "$triple-ar" rcsD "$prefix/lib/$name" "${objects[@]}"
}

# --- LZO ------------------------------------------------------------------------
lzo_version=$(dpkg-query -W -f='${source:Version}' liblzo2-dev)
lzo_sources=(lzo_init lzo1x_9x lzo1x_d2)
lzo_headers=(lzoconf.h lzodefs.h lzo1x.h)
# As Debian builds it (LZO_CFG_MODERN_C), with the C library's memcpy and
# kin, and no generated configuration header.
lzo_cflags=(-O2 -DLZO_CFG_NO_CONFIG_HEADER=1 -DLZO_CFG_MODERN_C=1 -DHAVE_MEMCMP=1 -DHAVE_MEMCPY=1
            -DHAVE_MEMMOVE=1 -DHAVE_MEMSET=1)
lzo_key=$(recipe_key "lzo2 $lzo_version ${lzo_sources[*]} ${lzo_headers[*]} ${lzo_cflags[*]}")
if [ "$(cat "$deps/lzo.stamp" 2>/dev/null)" != "$lzo_key" ]; then
  t=$SECONDS
  echo "== LZO $lzo_version for Windows, from Debian's source package"
  rm -rf "$deps/lzo" "$deps/lzo.stamp" "$prefix/include/lzo" "$prefix/lib/liblzo2.a"
  debian_source lzo2 "$lzo_version" "$deps/lzo/src"
  lzo_cflags+=(-I"$deps/lzo/src/include" -I"$deps/lzo/src/src")
  static_library lzo_cflags "$deps/lzo/src/src" liblzo2.a "${lzo_sources[@]}"
  mkdir -p "$prefix/include/lzo"
  for h in "${lzo_headers[@]}"; do cp "$deps/lzo/src/include/lzo/$h" "$prefix/include/lzo/"; done
  echo "$lzo_key" >"$deps/lzo.stamp"
  echo "   LZO built in $((SECONDS - t)) s"
fi

# --- libpng ----------------------------------------------------------------------
# For avdtool's PNG pictures, over zlib from Debian's libz-mingw-w64-dev:
# libpng's own sources with the configuration it ships prebuilt (no
# processor-specific code), as a static libpng.a. The newest of Debian's
# sources: the pictures do not depend on the library's patch level.
png_version=""
png_sources=(png pngerror pngget pngmem pngpread pngread pngrio pngrtran pngrutil pngset pngtrans pngwio pngwrite
             pngwtran pngwutil)
png_cflags=(-O2)
png_key=$(recipe_key "libpng1.6 newest ${png_sources[*]} ${png_cflags[*]}")
if [ "$(cat "$deps/png.stamp" 2>/dev/null)" != "$png_key" ]; then
  t=$SECONDS
  echo "== libpng for Windows, from Debian's source package"
  rm -rf "$deps/png" "$deps/png.stamp" "$prefix/include/png.h" "$prefix/include/pngconf.h" \
    "$prefix/include/pnglibconf.h" "$prefix/lib/libpng.a"
  debian_source libpng1.6 "$png_version" "$deps/png/src"
  cp "$deps/png/src/scripts/pnglibconf.h.prebuilt" "$deps/png/src/pnglibconf.h"
  png_cflags+=(-I"$deps/png/src")
  static_library png_cflags "$deps/png/src" libpng.a "${png_sources[@]}"
  mkdir -p "$prefix/include"
  cp "$deps/png/src/png.h" "$deps/png/src/pngconf.h" "$deps/png/src/pnglibconf.h" "$prefix/include/"
  echo "$png_key" >"$deps/png.stamp"
  echo "   libpng built in $((SECONDS - t)) s"
fi

# --- utf8proc -------------------------------------------------------------------
# The Unicode normaliser of the name rule, from Debian's own source package at
# the version the Linux build links (libutf8proc-dev), so both builds
# normalise names alike: utf8proc.c (which includes its data tables) as a
# static libutf8proc.a.
utf8proc_version=$(dpkg-query -W -f='${source:Version}' libutf8proc-dev)
utf8proc_cflags=(-O2 -DUTF8PROC_STATIC)
utf8proc_key=$(recipe_key "utf8proc $utf8proc_version ${utf8proc_cflags[*]}")
if [ "$(cat "$deps/utf8proc.stamp" 2>/dev/null)" != "$utf8proc_key" ]; then
  t=$SECONDS
  echo "== utf8proc $utf8proc_version for Windows, from Debian's source package"
  rm -rf "$deps/utf8proc" "$deps/utf8proc.stamp" "$prefix/include/utf8proc.h" "$prefix/lib/libutf8proc.a"
  debian_source utf8proc "$utf8proc_version" "$deps/utf8proc/src"
  static_library utf8proc_cflags "$deps/utf8proc/src" libutf8proc.a utf8proc
  cp "$deps/utf8proc/src/utf8proc.h" "$prefix/include/"
  echo "$utf8proc_key" >"$deps/utf8proc.stamp"
  echo "   utf8proc built in $((SECONDS - t)) s"
fi

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
