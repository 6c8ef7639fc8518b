#!/usr/bin/env bash
# Builds only the converter and the sample generator (not the tests), makes a
# sample game, places the converter with a sample "DATA" folder in out/, and
# starts it there: the chooser opens in out/, where "sample-game" can be
# picked at once. The archive lands in out/DAV299.AVD.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target avdconv make_sample_game
mkdir -p out
cp build/driver/avdconv out/avdconv
if [ ! -d out/sample-game ] || [ ! -d out/DATA ]; then
  build/sample/make_sample_game out/sample-game out/DATA
fi
cd out
exec ./avdconv
