#!/usr/bin/env bash
# The page's tests in headless Chromium (tests/web/page_test.js): builds the
# page (scripts/build-web.sh) and the Linux converter the downloads are
# compared with, installs Debian's chromium and node with apt-get and the
# test driver (playwright-core, from package-lock.json) with npm ci.
#
#   scripts/test-web.sh [BUILD_DIR]   (the Linux build, default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
native=${1:-build}

packages=(chromium gcc)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
# A node of another origin brings its own npm, which Debian's cannot join.
command -v node >/dev/null || missing+=(nodejs)
command -v npm >/dev/null || missing+=(npm)
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
    -o DPkg::Lock::Timeout=600 "${missing[@]}"
fi

scripts/build-web.sh
# Only the driver: playwright's own browsers are not used.
PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --no-audit --no-fund --silent
cmake --build "$native" --target avdconv avdtool make_sample_game >/dev/null
mkdir -p build-web/test
gcc -O2 -shared -fPIC -o build-web/test/windows_listing_order.so tests/support/windows_listing_order.c -ldl
echo "== The page in headless Chromium"
node tests/web/page_test.js dist/avdconv.html "$native/driver/avdconv" "$native/avdtool/avdtool" \
  "$native/sample/make_sample_game" \
  build-web/test/windows_listing_order.so
