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
# A node of another origin brings its own npm, which Debian's cannot join.
command -v node >/dev/null || packages+=(nodejs)
command -v npm >/dev/null || packages+=(npm)
source scripts/packages.sh
install_missing "${packages[@]}"

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
