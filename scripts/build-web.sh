#!/usr/bin/env bash
# Builds the converter for the browser (in build-web/) with Debian's
# emscripten and packs dist/avdconv.html: one page with the converter's wasm
# inside, which works opened from disk, offline, or from any web server.
#
# Installs what is missing with apt-get, then builds once and keeps in
# build-web/deps/:
#  - LZO from Debian's own source package, as the Windows build takes it
#    (scripts/debian-source.sh), compiled to a static liblzo2.a for wasm;
#  - zlib and libpng from Debian's source packages, for the contact sheet;
#  - utf8proc from Debian's source package at the Linux build's version, the
#    name rule's normaliser, as the Windows build takes it;
#  - the table of the page's name rule, made from this machine's code page
#    932 (platform/web/make_sjis_table.c), so that names follow the Linux
#    build's rule.
#
#   scripts/build-web.sh
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

dir=build-web
deps=$root/$dir/deps
prefix=$deps/prefix
started=$SECONDS

# --- Packages -----------------------------------------------------------------
# liblzo2-dev: the LZO version to build is the Linux build's, so both
# compress alike. gettext: the catalog compiled into the converter.
packages=(cmake ninja-build gcc emscripten liblzo2-dev libutf8proc-dev dpkg-dev debian-keyring gettext)
command -v node >/dev/null || packages+=(nodejs)
source scripts/packages.sh
install_missing "${packages[@]}"
# Debian's emscripten runs its tools under `node`, which must find Debian's
# JavaScript modules even when it is not Debian's own node.
export NODE_PATH=${NODE_PATH:+$NODE_PATH:}/usr/share/nodejs

source "$root/scripts/debian-source.sh"

# A build of a dependency is kept while its recipe and the compiler stay.
recipe_key() {
  {
    echo "$1"
    emcc --version | sed -n 1p
  } | sha256sum | cut -d' ' -f1
}

# The C libraries (scripts/static-libraries.sh), compiled to wasm.
target=wasm
cc=(emcc)
ar=(emar rcs)
source "$root/scripts/static-libraries.sh"
build_lzo

# --- zlib ---------------------------------------------------------------------------
# Under libpng, for the contact sheet's PNG picture: the newest of Debian's
# sources (the picture does not depend on the library's patch level).
zlib_sources=(adler32 crc32 deflate inflate inffast inftrees trees zutil)
zlib_cflags=(-O2)
zlib_key=$(recipe_key "zlib newest ${zlib_sources[*]} ${zlib_cflags[*]}")
if ! built_by zlib "$zlib_key"; then
  t=$SECONDS
  echo "== zlib for $target, from Debian's source package"
  rm -rf "$deps/zlib" "$deps/zlib.stamp" "$prefix/lib/libz.a"
  debian_source zlib "" "$deps/zlib/src"
  static_library zlib_cflags "$deps/zlib/src" libz.a "${zlib_sources[@]}"
  mkdir -p "$prefix/include"
  cp "$deps/zlib/src/zlib.h" "$deps/zlib/src/zconf.h" "$prefix/include/"
  echo "$zlib_key" >"$deps/zlib.stamp"
  echo "   zlib built in $((SECONDS - t)) s"
fi
build_png "$zlib_key" -I"$prefix/include"
build_utf8proc

# --- The name table ---------------------------------------------------------------
mkdir -p "$deps/generated"
gcc -O2 -o "$deps/make_sjis_table" platform/web/make_sjis_table.c
"$deps/make_sjis_table" >"$deps/generated/sjis_table.h.new"
# Unchanged, it keeps its time, and the build keeps what it compiled.
if cmp -s "$deps/generated/sjis_table.h.new" "$deps/generated/sjis_table.h"; then
  rm "$deps/generated/sjis_table.h.new"
else
  mv "$deps/generated/sjis_table.h.new" "$deps/generated/sjis_table.h"
fi

# --- The converter ----------------------------------------------------------------
echo "== Configuring and building for the browser in $dir/"
t=$SECONDS
emcmake cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DAVD_WERROR=ON -DAVD_TESTS=OFF \
  -DLZO_INCLUDE_DIR="$prefix/include" -DLZO_LIBRARY="$prefix/lib/liblzo2.a" \
  -DZLIB_INCLUDE_DIR="$prefix/include" -DZLIB_LIBRARY="$prefix/lib/libz.a" \
  -DPNG_PNG_INCLUDE_DIR="$prefix/include" -DPNG_LIBRARY="$prefix/lib/libpng.a" \
  -DUTF8PROC_INCLUDE_DIR="$prefix/include" -DUTF8PROC_LIBRARY="$prefix/lib/libutf8proc.a" \
  -DAVD_WEB_GENERATED="$deps/generated" >"$dir/configure.log"
if ! cmake --build "$dir" -j "$(nproc)" --target avdconv_web >"$dir/build.log" 2>&1; then
  grep -m 10 -E 'error' "$dir/build.log" >&2 || tail -20 "$dir/build.log" >&2
  echo "FAILED: the browser build (see $dir/build.log)" >&2
  exit 1
fi
echo "   built in $((SECONDS - t)) s (log: $dir/build.log)"

# --- The page -------------------------------------------------------------------
mkdir -p dist
node web/pack-page.js "$dir/web/avdconv_web.js" dist/avdconv.html
echo "   dist/avdconv.html ($(($(stat -c %s dist/avdconv.html) / 1024)) KiB)"
echo "== Browser build took $((SECONDS - started)) s"
