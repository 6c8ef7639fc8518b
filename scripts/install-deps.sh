#!/usr/bin/env bash
# Installs the Debian packages the build, the tests, the benchmarks and the
# Debian package need, when any of them is missing.
set -euo pipefail
packages=(cmake ninja-build g++ liblzo2-dev libpng-dev libutf8proc-dev libgtest-dev libbenchmark-dev clang libclang-rt-14-dev gettext
  groff-base man-db bash-completion debhelper dpkg-dev lintian)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi
