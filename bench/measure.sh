#!/usr/bin/env bash
# Measures the builder three ways and prints the figures:
#   1. the compile stage alone (Google Benchmark): the carried scenario and a
#      generated 1000 km route, medians of 10 interleaved repetitions, and
#      their ratio;
#   2. the builder's whole run from a fresh directory against one cp of the
#      six files it writes into another (alternating runs, ratio of medians);
#   3. peak memory (GNU time) of a builder run and of the 1000 km compile.
# Nothing here fails on a time. ROUNDS sets the runs of step 2 (default 61).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/ensure-deps.sh build tools bench

cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DSCENARIO_TESTS=OFF -DSCENARIO_TOOLS=ON \
  -DSCENARIO_BENCH=ON >/dev/null
cmake --build build/bench -j"$(nproc)" --target scenario_builder scenario_bench run_vs_copy >/dev/null

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

echo "== machine"
echo "cpu: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//'), $(nproc) cores"
echo "kernel: $(uname -r); large pages: $(cat /sys/kernel/mm/transparent_hugepage/enabled 2>/dev/null || echo unknown)"

echo
echo "== compile stage (medians of 10 repetitions, interleaved at random)"
# Interleaved, so that a slower minute of a shared machine does not fall on
# one benchmark only.
build/bench/scenario_bench --benchmark_repetitions=10 --benchmark_enable_random_interleaving=true \
  --benchmark_report_aggregates_only=true \
  --benchmark_out="$scratch/bench.csv" --benchmark_out_format=csv 2>/dev/null |
  grep -E '^(Benchmark|-+$|BM_.*_median)'
# CSV rows: "name",iterations,real_time,cpu_time,time_unit,...
awk -F, '
  $1 == "\"BM_Compile/carried_median\"" { carried = $3 }
  $1 == "\"BM_Compile/synthetic_1000km_median\"" { long = $3 }
  END { if (carried > 0) printf "1000 km compile / carried compile: %.2f (the routes differ by 6.6 times in length)\n", long / carried }
' "$scratch/bench.csv"

echo
echo "== whole run against cp of its output"
build/bench/run_vs_copy build/bench/scenario_builder "${ROUNDS:-61}"

echo
echo "== peak memory (GNU time, maximum resident set size)"
mkdir "$scratch/run"
cp build/bench/scenario_builder "$scratch/run/"
/usr/bin/time -v "$scratch/run/scenario_builder" 2>"$scratch/time-run.txt" >/dev/null
echo "builder run: $(awk -F': ' '/Maximum resident/ { print $2 }' "$scratch/time-run.txt") KiB"
/usr/bin/time -v build/bench/scenario_bench --benchmark_filter='^BM_Compile/synthetic_1000km$' \
  --benchmark_min_time=0.5 >/dev/null 2>"$scratch/time-long.txt"
echo "1000 km compile (the benchmark process): $(awk -F': ' '/Maximum resident/ { print $2 }' "$scratch/time-long.txt") KiB"
