#!/usr/bin/env bash
# Builds the converter and runs every test. With --sanitize the build uses
# AddressSanitizer and UndefinedBehaviorSanitizer (in build-asan/) and runs
# the suites of the readers of outside bytes and the units under them (CTest
# label `parsers`: the archive's writer and reader, avdtool, scenarios,
# scenes, pictures, names, the chooser's keys); the end-to-end runs of the
# whole converter are left to the plain and the ThreadSanitizer passes. With
# --tsan it uses ThreadSanitizer (in build-tsan/) and runs the tests that
# drive the archive writer's worker threads (label `threads`): the writer's,
# the driver's end-to-end and the stress tests. Without either it also
# builds the page and runs its tests in headless Chromium
# (scripts/test-web.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
dir=build
flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DAVD_WERROR=ON)
targets=()
select=()
case "${1:-}" in
  --sanitize)
    dir=build-asan
    flags=(-DCMAKE_BUILD_TYPE=Debug -DAVD_SANITIZE=ON -DAVD_WERROR=ON)
    targets=(--target archive_tests avdtool_tests base_tests chooser_tests image_tests platform_tests scenario_tests
             scene_tests target_forms_tests)
    select=(-L parsers)
    ;;
  --tsan)
    dir=build-tsan
    flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DAVD_TSAN=ON -DAVD_WERROR=ON)
    targets=(--target archive_tests driver_tests stress_tests)
    select=(-L threads)
    # A race or a lock-order inversion fails the test that shows it.
    export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 ${TSAN_OPTIONS:-}"
    ;;
  "") ;;
  *) echo "usage: scripts/test.sh [--sanitize | --tsan]" >&2; exit 2 ;;
esac
cmake -S . -B "$dir" -G Ninja "${flags[@]}" >/dev/null
cmake --build "$dir" -j "$(nproc)" "${targets[@]}"
ctest --test-dir "$dir" --output-on-failure -j "$(nproc)" "${select[@]}"
# The page in a headless browser, against this build's archives.
if [ "$dir" = build ]; then scripts/test-web.sh "$dir"; fi
