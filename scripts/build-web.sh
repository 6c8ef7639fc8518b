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

# --- LZO ------------------------------------------------------------------------
lzo_version=$(dpkg-query -W -f='${source:Version}' liblzo2-dev)
lzo_sources=(lzo_init lzo1x_9x lzo1x_d2)
lzo_headers=(lzoconf.h lzodefs.h lzo1x.h)
# As Debian builds it (LZO_CFG_MODERN_C), with the C library's memcpy and kin.
lzo_cflags=(-O2 -DLZO_CFG_NO_CONFIG_HEADER=1 -DLZO_CFG_MODERN_C=1 -DHAVE_MEMCMP=1 -DHAVE_MEMCPY=1
            -DHAVE_MEMMOVE=1 -DHAVE_MEMSET=1)
lzo_key=$(recipe_key "lzo2 $lzo_version ${lzo_sources[*]} ${lzo_headers[*]} ${lzo_cflags[*]}")
if [ "$(cat "$deps/lzo.stamp" 2>/dev/null)" != "$lzo_key" ]; then
  t=$SECONDS
  echo "== LZO $lzo_version for wasm, from Debian's source package"
  rm -rf "$deps/lzo" "$deps/lzo.stamp" "$prefix/include/lzo" "$prefix/lib/liblzo2.a"
  debian_source lzo2 "$lzo_version" "$deps/lzo/src"
  src=$deps/lzo/src/src
  mkdir -p "$src.obj" "$prefix/lib" "$prefix/include/lzo"
  objects=()
  for f in "${lzo_sources[@]}"; do
    emcc "${lzo_cflags[@]}" -I"$deps/lzo/src/include" -I"$src" -c "$src/$f.c" -o "$src.obj/$f.o"
    objects+=("$src.obj/$f.o")
  done
  emar rcs "$prefix/lib/liblzo2.a" "${objects[@]}"
  for h in "${lzo_headers[@]}"; do cp "$deps/lzo/src/include/lzo/$h" "$prefix/include/lzo/"; done
  echo "$lzo_key" >"$deps/lzo.stamp"
  echo "   LZO built in $((SECONDS - t)) s"
fi

# Compiles the C files $4... of folder $2 with the flags of the array named
# $1 into the static library $prefix/lib/$3.
static_library() {
  local -n cflags=$1
  local src=$2 name=$3
  shift 3
  local objects=() f
  mkdir -p "$src.obj" "$prefix/lib"
  for f in "$@"; do
    emcc "${cflags[@]}" -c "$src/$f.c" -o "$src.obj/$f.o"
    objects+=("$src.obj/$f.o")
  done
  emar rcs "$prefix/lib/$name" "${objects[@]}"
}

# --- zlib and libpng ---------------------------------------------------------------
# For the contact sheet's PNG picture: the newest of Debian's sources (the
# picture does not depend on the libraries' patch level), libpng with the
# configuration it ships prebuilt.
zlib_sources=(adler32 crc32 deflate inflate inffast inftrees trees zutil)
zlib_cflags=(-O2)
zlib_key=$(recipe_key "zlib newest ${zlib_sources[*]} ${zlib_cflags[*]}")
if [ "$(cat "$deps/zlib.stamp" 2>/dev/null)" != "$zlib_key" ]; then
  t=$SECONDS
  echo "== zlib for wasm, from Debian's source package"
  rm -rf "$deps/zlib" "$deps/zlib.stamp" "$prefix/lib/libz.a"
  debian_source zlib "" "$deps/zlib/src"
  static_library zlib_cflags "$deps/zlib/src" libz.a "${zlib_sources[@]}"
  mkdir -p "$prefix/include"
  cp "$deps/zlib/src/zlib.h" "$deps/zlib/src/zconf.h" "$prefix/include/"
  echo "$zlib_key" >"$deps/zlib.stamp"
  echo "   zlib built in $((SECONDS - t)) s"
fi
png_sources=(png pngerror pngget pngmem pngpread pngread pngrio pngrtran pngrutil pngset pngtrans pngwio pngwrite
             pngwtran pngwutil)
png_cflags=(-O2 -I"$prefix/include")
png_key=$(recipe_key "libpng1.6 newest ${png_sources[*]} ${png_cflags[*]} $zlib_key")
if [ "$(cat "$deps/png.stamp" 2>/dev/null)" != "$png_key" ]; then
  t=$SECONDS
  echo "== libpng for wasm, from Debian's source package"
  rm -rf "$deps/png" "$deps/png.stamp" "$prefix/lib/libpng.a"
  debian_source libpng1.6 "" "$deps/png/src"
  cp "$deps/png/src/scripts/pnglibconf.h.prebuilt" "$deps/png/src/pnglibconf.h"
  png_cflags+=(-I"$deps/png/src")
  static_library png_cflags "$deps/png/src" libpng.a "${png_sources[@]}"
  cp "$deps/png/src/png.h" "$deps/png/src/pngconf.h" "$deps/png/src/pnglibconf.h" "$prefix/include/"
  echo "$png_key" >"$deps/png.stamp"
  echo "   libpng built in $((SECONDS - t)) s"
fi

# --- utf8proc -------------------------------------------------------------------
# The names' normaliser at the version the Linux build links, so that every
# build composes names alike: utf8proc.c (which includes its data tables).
utf8proc_version=$(dpkg-query -W -f='${source:Version}' libutf8proc-dev)
utf8proc_cflags=(-O2 -DUTF8PROC_STATIC)
utf8proc_key=$(recipe_key "utf8proc $utf8proc_version ${utf8proc_cflags[*]}")
if [ "$(cat "$deps/utf8proc.stamp" 2>/dev/null)" != "$utf8proc_key" ]; then
  t=$SECONDS
  echo "== utf8proc $utf8proc_version for wasm, from Debian's source package"
  rm -rf "$deps/utf8proc" "$deps/utf8proc.stamp" "$prefix/include/utf8proc.h" "$prefix/lib/libutf8proc.a"
  debian_source utf8proc "$utf8proc_version" "$deps/utf8proc/src"
  static_library utf8proc_cflags "$deps/utf8proc/src" libutf8proc.a utf8proc
  mkdir -p "$prefix/include"
  cp "$deps/utf8proc/src/utf8proc.h" "$prefix/include/"
  echo "$utf8proc_key" >"$deps/utf8proc.stamp"
  echo "   utf8proc built in $((SECONDS - t)) s"
fi

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
