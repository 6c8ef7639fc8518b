# Sourced by the build scripts for other systems: debian_source, which
# unpacks one of Debian's source packages. Uses $sudo ("sudo" or empty), set
# by the script that sources it.

# Unpacks Debian's source package $1 at version $2 (the newest the archive
# has when empty) into $3, fetched through
# apt (which verifies its checksums) and checked by dpkg-source against its
# signature. The machine's binary entries stay as they are: the source
# entry, its index and apt's caches live in $3.apt for this call only.
debian_source() {
  local package=$1 version=$2 dest=$3
  local work=$dest.apt
  rm -rf "$work" "$dest"
  mkdir -p "$work/download" "$work/lists/partial" "$work/sources.list.d"
  cat >"$work/sources.list.d/debian-src.sources" <<'SOURCES'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb-src
URIs: http://deb.debian.org/debian-security
Suites: bookworm-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
  : >"$work/sources.list"
  local apt_options=(-o Dir::Etc::SourceList="$work/sources.list" -o Dir::Etc::SourceParts="$work/sources.list.d"
                     -o Dir::State::Lists="$work/lists" -o Dir::Cache="$work/cache" -o Dir::Cache::pkgcache=
                     -o Dir::Cache::srcpkgcache=)
  # apt downloads as its own unprivileged user.
  if [ "$(id -u)" -eq 0 ] && id _apt >/dev/null 2>&1; then
    chown _apt "$work/download" "$work/lists/partial"
  fi
  $sudo apt-get "${apt_options[@]}" update -qq
  # Without a version: the newest that a mirror serves (a suite's index may
  # list a version whose files are not on every mirror yet).
  local candidates=("$version")
  if [ -z "$version" ]; then
    mapfile -t candidates < <(apt-cache "${apt_options[@]}" showsrc "$package" | sed -n 's/^Version: //p' | sort -urV)
  fi
  local v
  for v in "${candidates[@]}"; do
    if (cd "$work/download" && $sudo apt-get "${apt_options[@]}" source --download-only -qq "$package=$v"); then
      version=$v
      break
    fi
    rm -f "$work/download/"*
  done
  dpkg-source --require-valid-signature -x "$work/download/${package}_${version#*:}.dsc" "$dest" \
    >"$work/dpkg-source.log"
}
