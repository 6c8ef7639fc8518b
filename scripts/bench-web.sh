#!/usr/bin/env bash
# The page against the native converter on one core (bench/web_bench.js):
# builds the page and the Linux converter (Release), converts the bench-size
# sample game with both in one run and prints the times, their ratio and the
# page's peak wasm memory.
#
#   scripts/bench-web.sh [SCALE [JOBS]]   (share of the bench-size game, default
#                                          1; the page's compression workers)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build-web.sh
PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --no-audit --no-fund --silent
dir=build-bench
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DAVD_TESTS=OFF >/dev/null
cmake --build "$dir" -j "$(nproc)" --target avdconv make_sample_game >/dev/null
node bench/web_bench.js dist/avdconv.html "$dir/driver/avdconv" "$dir/sample/make_sample_game" "${1:-1}" ${2:+"$2"}
