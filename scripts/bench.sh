#!/usr/bin/env bash
# Builds the benchmarks (Release, in build-bench/) and runs them:
#  - stage throughput (bench/stage_bench): decoding, halving, translation and
#    LZO1X-999 compression;
#  - whole conversions (bench/e2e_bench) of the bench-size sample game at a
#    quarter, half and full size, each against the compression floor; at
#    full size also with 1, 2 and 4 compression workers and pinned to one
#    processor.
# Prints the results as markdown tables and keeps them in
# build-bench/RESULTS.md. Takes about five minutes on two cores.
#
# Options: --runs N   conversions (and floors) per size; the fastest counts (default 3)
#          --quick    one run per size and shorter stage measurements
set -euo pipefail
cd "$(dirname "$0")/.."

runs=3
min_time=0.3
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) runs="$2"; shift 2 ;;
    --quick) runs=1; min_time=0.05; shift ;;
    *) echo "usage: scripts/bench.sh [--runs N] [--quick]" >&2; exit 2 ;;
  esac
done

scripts/install-deps.sh
dir=build-bench
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DAVD_BENCH=ON -DAVD_TESTS=OFF >/dev/null
cmake --build "$dir" -j "$(nproc)"

results="$dir/RESULTS.md"
cpu=$(grep -m1 'model name' /proc/cpuinfo 2>/dev/null | sed 's/.*: //' || true)
{
  echo "Machine: $(nproc) cores${cpu:+, $cpu}; $(uname -sr); $(c++ --version | head -1)."
  echo "Date: $(date -u '+%Y-%m-%d %H:%M UTC'); load average before the run: $(cut -d' ' -f1-3 /proc/loadavg)."
  echo
} >"$results"

echo "== Stage throughput"
"$dir/bench/stage_bench" --benchmark_min_time="$min_time" \
  --benchmark_out="$dir/stage.json" --benchmark_out_format=json
{
  echo "### Stage throughput"
  echo
  echo "| stage | input | time per call | MB/s |"
  echo "|---|---|---:|---:|"
  # The JSON report puts each field of a run on its own line.
  awk '
    function value(line) {
      sub(/^[^:]*: */, "", line); sub(/,$/, "", line); gsub(/^"|"$/, "", line)
      return line
    }
    /"name":/ { name = value($0); label = "" }
    /"cpu_time":/ { t = value($0) }
    /"time_unit":/ { unit = value($0) }
    /"bytes_per_second":/ { bps = value($0) }
    /"label":/ { label = value($0) }
    /^    }/ && name != "" {
      ms = t / (unit == "ns" ? 1e6 : unit == "us" ? 1e3 : unit == "s" ? 1e-3 : 1)
      rate = sprintf(bps + 0 < 1e8 ? "%.1f" : "%.0f", bps / 1e6)
      printf "| %s | %s | %.3f ms | %s |\n", name, label, ms, rate
      name = ""
    }' "$dir/stage.json"
  echo
} >>"$results"

# Runs e2e_bench on the sample at scale $1 with the converter $2 (and any
# further words as a command to run it under) and prints its table row.
e2e_row() {
  local scale="$1" exe="$2"
  shift 2
  local sample="$dir/bench-$scale"
  "$@" "$dir/bench/e2e_bench" --runs "$runs" "$exe" "$sample/game" "$sample/DATA" | tee "$sample/e2e.txt" >&2
  grep '^e2e ' "$sample/e2e.txt" | awk -v scale="$scale" '
    { for (i = 2; i <= NF; ++i) { split($i, kv, "="); f[kv[1]] = kv[2] } }
    END {
      printf "| %s | %d | %d | %d | %.1f | %.2f | %.2f | %.3f | %.3f | %.1f |\n", scale, f["scenarios"],
        f["pictures"], f["members"], f["input_bytes"] / 1e6, f["conversion_s"], f["floor_s"], f["ratio"],
        f["cpu_ratio"], f["peak_rss_mib"]
    }'
}
header="| scale | scenarios | pictures | members | input MB | conversion s | floor s | ratio | ratio (CPU) | peak RSS MiB |"
rule="|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|"

echo "$header" >"$dir/e2e.md"
echo "$rule" >>"$dir/e2e.md"
for scale in 0.25 0.5 1; do
  sample="$dir/bench-$scale"
  echo
  echo "== Whole conversion, bench sample at scale $scale ($runs run(s))"
  rm -rf "$sample/DATA"
  "$dir/sample/make_sample_game" "$sample/game" "$sample/DATA" --bench "$scale"
  e2e_row "$scale" "$dir/driver/avdconv" >>"$dir/e2e.md"
done

# The full size again: with 1, 2 and 4 compression workers (the converter
# takes one per processor by default), and pinned to one processor.
echo "| workers | ${header#| scale | }" >"$dir/workers.md"
echo "|---:|${rule#|---:|}" >>"$dir/workers.md"
for workers in 1 2 4; do
  echo
  echo "== Whole conversion at scale 1 with $workers worker(s)"
  e2e_row 1 "$dir/bench/avdconv_workers" env AVD_WORKERS="$workers" | sed "s/^| 1 |/| $workers |/" >>"$dir/workers.md"
done
pinned=""
if command -v taskset >/dev/null; then
  echo
  echo "== Whole conversion at scale 1 pinned to processor 0 (taskset -c 0)"
  pinned=$(e2e_row 1 "$dir/driver/avdconv" taskset -c 0)
fi

{
  echo "### Whole conversion against the compression floor (fastest of $runs run(s))"
  echo
  echo "The converter with one compression worker per processor ($(nproc) here)."
  echo
  cat "$dir/e2e.md"
  echo
  echo "### Compression workers, at scale 1"
  echo
  cat "$dir/workers.md"
  echo
  if [ -n "$pinned" ]; then
    echo "### Pinned to one processor (taskset -c 0), default workers, at scale 1"
    echo
    echo "$header"
    echo "$rule"
    echo "$pinned"
    echo
  fi
  echo "Load average after the runs: $(cut -d' ' -f1-3 /proc/loadavg)."
} >>"$results"

echo
cat "$results"
