#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (in build-fuzz/) and runs each one
# for a bounded time, starting from the seed corpus in fuzz/corpus/, as many
# side by side as there are processors. Fails
# when a target finds a crash, a leak, a timeout or a broken check; the
# input that caused it is left in build-fuzz/artifacts/.
#   scripts/fuzz.sh [seconds per target, default 60] [target ...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(image scenario archive avdtool printable)

scripts/install-deps.sh
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DAVD_FUZZ=ON -DAVD_TESTS=OFF -DAVD_WERROR=ON \
  -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang >/dev/null
cmake --build build-fuzz -j "$(nproc)" --target $(printf '%s_fuzzer ' "${targets[@]}")

mkdir -p build-fuzz/artifacts
# The archive target writes and renames files at every run: a memory-backed
# folder keeps that fast.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi
# Each target runs on one processor: as many at once as there are
# processors, each for its full time; the reports come in the order given.
run_target() {
  local t=$1
  # New inputs go to a working corpus; the seeds in the repository stay as
  # they are.
  local work="build-fuzz/corpus/$t"
  mkdir -p "$work"
  local options=(-max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -print_final_stats=1
                 -artifact_prefix="build-fuzz/artifacts/$t-")
  case "$t" in
    image) options+=(-max_len=16384 -dict=fuzz/image.dict) ;;
    scenario) options+=(-max_len=70000 -dict=fuzz/scenario.dict) ;;
    archive) options+=(-max_len=4096) ;;
    avdtool) options+=(-max_len=8192) ;;
    printable) options+=(-max_len=512) ;;
  esac
  local result=0
  "build-fuzz/fuzz/${t}_fuzzer" "${options[@]}" "$work" "fuzz/corpus/$t" >"build-fuzz/$t.log" 2>&1 || result=$?
  echo "$result" >"build-fuzz/$t.status"
}
for t in "${targets[@]}"; do
  rm -f "build-fuzz/$t.status"
  while [ "$(jobs -rp | wc -l)" -ge "$(nproc)" ]; do wait -n || true; done
  run_target "$t" &
done
wait
status=0
for t in "${targets[@]}"; do
  echo "== $t: ${seconds} s"
  if [ "$(cat "build-fuzz/$t.status" 2>/dev/null)" != 0 ]; then
    tail -n 60 "build-fuzz/$t.log"
    echo "FAILED: $t (input in build-fuzz/artifacts/)"
    status=1
  else
    grep -E '^(Done|stat::number_of_executed_units|stat::peak_rss_mb)' "build-fuzz/$t.log" || true
  fi
done
exit $status
