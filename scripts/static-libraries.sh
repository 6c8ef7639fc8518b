# Sourced by the build scripts for other systems, after debian-source.sh:
# the C libraries both link, built from Debian's source packages into static
# libraries under $prefix. The sourcing script sets
#   deps, prefix  where sources and objects go, and where the libraries go;
#   target        the system, for the log ("wasm", "Windows");
#   cc, ar        arrays: the C compiler, and the archiver with its flags;
#   recipe_key    a function: the stamp of a recipe on its toolchain.
# A library is built again only when the stamp of its recipe changes.

# Compiles the C files $4... (named without ".c") of folder $2 with the
# flags of the array named $1 into the static library $prefix/lib/$3.
static_library() {
  local -n flags=$1
  local src=$2 name=$3
  shift 3
  local objects=() f
  mkdir -p "$src.obj" "$prefix/lib"
  for f in "$@"; do
    "${cc[@]}" "${flags[@]}" -c "$src/$f.c" -o "$src.obj/$f.o"
    objects+=("$src.obj/$f.o")
  done
  "${ar[@]}" "$prefix/lib/$name" "${objects[@]}"
}

# True when the library $1 was built by the recipe whose stamp is $2.
built_by() { [ "$(cat "$deps/$1.stamp" 2>/dev/null)" = "$2" ]; }

# LZO at the version the Linux build links (liblzo2-dev), so every build
# compresses alike: only the init check, LZO1X-999 compression and the safe
# decompressor, as a static liblzo2.a.
build_lzo() {
  local version
  version=$(dpkg-query -W -f='${source:Version}' liblzo2-dev)
  local lzo_sources=(lzo_init lzo1x_9x lzo1x_d2) lzo_headers=(lzoconf.h lzodefs.h lzo1x.h)
  # As Debian builds it (LZO_CFG_MODERN_C), with the C library's memcpy and
  # kin, and no generated configuration header.
  local lzo_cflags=(-O2 -DLZO_CFG_NO_CONFIG_HEADER=1 -DLZO_CFG_MODERN_C=1 -DHAVE_MEMCMP=1 -DHAVE_MEMCPY=1
                    -DHAVE_MEMMOVE=1 -DHAVE_MEMSET=1)
  local key
  key=$(recipe_key "lzo2 $version ${lzo_sources[*]} ${lzo_headers[*]} ${lzo_cflags[*]}")
  built_by lzo "$key" && return
  local t=$SECONDS h
  echo "== LZO $version for $target, from Debian's source package"
  rm -rf "$deps/lzo" "$deps/lzo.stamp" "$prefix/include/lzo" "$prefix/lib/liblzo2.a"
  debian_source lzo2 "$version" "$deps/lzo/src"
  lzo_cflags+=(-I"$deps/lzo/src/include" -I"$deps/lzo/src/src")
  static_library lzo_cflags "$deps/lzo/src/src" liblzo2.a "${lzo_sources[@]}"
  mkdir -p "$prefix/include/lzo"
  for h in "${lzo_headers[@]}"; do cp "$deps/lzo/src/include/lzo/$h" "$prefix/include/lzo/"; done
  echo "$key" >"$deps/lzo.stamp"
  echo "   LZO built in $((SECONDS - t)) s"
}

# libpng, for avdtool's and the contact sheet's PNG pictures: the newest of
# Debian's sources (the pictures do not depend on the library's patch
# level), with the configuration it ships prebuilt (no processor-specific
# code), as a static libpng.a. $1 joins the recipe (the zlib it is built
# against); $2... are flags of its own (where zlib's header is).
build_png() {
  local zlib=$1
  shift
  local png_sources=(png pngerror pngget pngmem pngpread pngread pngrio pngrtran pngrutil pngset pngtrans pngwio
                     pngwrite pngwtran pngwutil)
  local png_cflags=(-O2 "$@")
  local key
  key=$(recipe_key "libpng1.6 newest ${png_sources[*]} ${png_cflags[*]} $zlib")
  built_by png "$key" && return
  local t=$SECONDS
  echo "== libpng for $target, from Debian's source package"
  rm -rf "$deps/png" "$deps/png.stamp" "$prefix/include/png.h" "$prefix/include/pngconf.h" \
    "$prefix/include/pnglibconf.h" "$prefix/lib/libpng.a"
  debian_source libpng1.6 "" "$deps/png/src"
  cp "$deps/png/src/scripts/pnglibconf.h.prebuilt" "$deps/png/src/pnglibconf.h"
  png_cflags+=(-I"$deps/png/src")
  static_library png_cflags "$deps/png/src" libpng.a "${png_sources[@]}"
  mkdir -p "$prefix/include"
  cp "$deps/png/src/png.h" "$deps/png/src/pngconf.h" "$deps/png/src/pnglibconf.h" "$prefix/include/"
  echo "$key" >"$deps/png.stamp"
  echo "   libpng built in $((SECONDS - t)) s"
}

# utf8proc, the name rule's Unicode normaliser, at the version the Linux
# build links (libutf8proc-dev), so that every build composes names alike:
# utf8proc.c (which includes its data tables) as a static libutf8proc.a.
build_utf8proc() {
  local version
  version=$(dpkg-query -W -f='${source:Version}' libutf8proc-dev)
  local utf8proc_cflags=(-O2 -DUTF8PROC_STATIC)
  local key
  key=$(recipe_key "utf8proc $version ${utf8proc_cflags[*]}")
  built_by utf8proc "$key" && return
  local t=$SECONDS
  echo "== utf8proc $version for $target, from Debian's source package"
  rm -rf "$deps/utf8proc" "$deps/utf8proc.stamp" "$prefix/include/utf8proc.h" "$prefix/lib/libutf8proc.a"
  debian_source utf8proc "$version" "$deps/utf8proc/src"
  static_library utf8proc_cflags "$deps/utf8proc/src" libutf8proc.a utf8proc
  mkdir -p "$prefix/include"
  cp "$deps/utf8proc/src/utf8proc.h" "$prefix/include/"
  echo "$key" >"$deps/utf8proc.stamp"
  echo "   utf8proc built in $((SECONDS - t)) s"
}
