#!/usr/bin/env bash
# Builds the Debian package the Debian way (dpkg-buildpackage, without its
# tests: scripts/test.sh runs them), checks it with lintian, installs it with
# apt-get, converts the sample game with the installed avdconv from a
# working folder, checks the archive with the installed avdtool, purges the
# package and checks that nothing of it is left behind.
#
# It installs into this machine's system (it needs root, or sudo), so it
# refuses to start when an avdconv is already installed there, and purges
# its package whatever happens once it has installed it. Everything else it
# makes lives in build-deb/ (the build, kept so that the compiler cache finds
# the same paths next time) and in one temporary folder, removed at the end;
# the .deb is kept in dist/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
root=$PWD
version=$(head -n 1 VERSION)
arch=$(dpkg --print-architecture)
deb=avdconv_${version}_${arch}.deb

apt=(env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=300 -y -qq)
[ "$(id -u)" -ne 0 ] && apt=(sudo "${apt[@]}")

if dpkg-query -W -f='${Status}' avdconv 2>/dev/null | grep -q 'installed'; then
  echo "test-deb: the package avdconv is installed already; not touching it" >&2
  exit 1
fi
for program in avdconv avdtool; do
  if [ -e "/usr/bin/$program" ]; then
    echo "test-deb: /usr/bin/$program exists already; not touching it" >&2
    exit 1
  fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/avdconv-deb.XXXXXX")
installed=false
cleanup() {
  if $installed; then "${apt[@]}" purge avdconv >/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

# --- Build -------------------------------------------------------------------
# From a copy of the sources (the tracked files and new ones, as they are
# now): dpkg-buildpackage writes the package beside the source folder.
echo "== Building $deb"
start=$SECONDS
rm -rf build-deb
src="build-deb/avdconv-$version"
mkdir -p "$src"
git ls-files -z --cached --others --exclude-standard | while IFS= read -r -d '' f; do
  if [ -e "$f" ]; then cp -a --parents "$f" "$src"; fi
done
# A compiler cache speeds the next run up (debhelper gives the build a home
# folder of its own, so the cache is named here).
if command -v ccache >/dev/null; then
  export CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache
  CCACHE_DIR=$(ccache -k cache_dir)
  export CCACHE_DIR
fi
(cd "$src" && DEB_BUILD_OPTIONS="nocheck parallel=$(nproc)" dpkg-buildpackage -us -uc -b -Pnocheck \
  >"$root/build-deb/build.log" 2>&1) || {
  tail -n 40 build-deb/build.log >&2
  echo "test-deb: dpkg-buildpackage failed" >&2
  exit 1
}
echo "   built in $((SECONDS - start)) s"

# --- lintian -----------------------------------------------------------------
echo "== lintian"
lintian --display-info --fail-on error "build-deb/$deb" 2>&1 | sed 's/^/   /' || {
  echo "test-deb: lintian found errors" >&2
  exit 1
}
mkdir -p dist
cp "build-deb/$deb" dist/

# --- Install, convert, verify ---------------------------------------------------
echo "== Installing and converting the sample game"
packagesBefore=$(dpkg-query -W -f='${Package}\n' | sort)
installed=true
"${apt[@]}" install --no-install-recommends "$root/dist/$deb" >/dev/null
files=$(dpkg-query -L avdconv)
[ "$(command -v avdconv)" = /usr/bin/avdconv ] || {
  echo "test-deb: avdconv is not /usr/bin/avdconv" >&2
  exit 1
}
avdconv --version | grep -qx "avdconv $version"
for page in /usr/share/man/man1/avdconv.1.gz /usr/share/man/ja/man1/avdtool.1.gz \
  /usr/share/bash-completion/completions/avdtool; do
  [ -f "$page" ] || {
    echo "test-deb: $page is not installed" >&2
    exit 1
  }
done

# The sample game and its DATA folder, made by the generator of the plain build.
generator=build/sample/make_sample_game
[ -x "$generator" ] || {
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build build --target make_sample_game >/dev/null
}
mkdir -p "$work/home"
"$generator" "$work/sample-game" "$work/home/DATA" >/dev/null
(cd "$work/home" && avdconv --jobs 2 ../sample-game) >"$work/run.log" || {
  cat "$work/run.log" >&2
  echo "test-deb: the installed avdconv failed" >&2
  exit 1
}
(cd "$work/home" && avdtool verify DAV299.AVD) | sed 's/^/   /'
if [ -e /usr/bin/DAV299.AVD ] || [ -e /usr/bin/tmp.dat ] || [ ! -f "$work/home/DAV299.AVD" ]; then
  echo "test-deb: the archive is not in the working folder alone" >&2
  exit 1
fi
echo "   in the working folder: $(cd "$work/home" && echo *)"

# --- Purge, and nothing left -----------------------------------------------------
echo "== Purging"
"${apt[@]}" purge avdconv >/dev/null
installed=false
left=()
while IFS= read -r f; do
  [ -n "$f" ] && [ ! -d "$f" ] && [ -e "$f" ] && left+=("$f")
done <<<"$files"
for f in /usr/bin/avdconv /usr/bin/avdtool /usr/share/doc/avdconv /var/lib/dpkg/info/avdconv.list; do
  [ -e "$f" ] && left+=("$f")
done
if [ ${#left[@]} -gt 0 ]; then
  echo "test-deb: left behind: ${left[*]}" >&2
  exit 1
fi
if [ "$(dpkg-query -W -f='${Package}\n' | sort)" != "$packagesBefore" ]; then
  echo "test-deb: the installed packages differ from those before the test" >&2
  exit 1
fi
echo "   dist/$deb: installed, converted, verified and purged; nothing left"
