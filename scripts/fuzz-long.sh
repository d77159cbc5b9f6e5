#!/usr/bin/env bash
# A long fuzzing run of the compile stage, for a spare machine or a night:
#   FUZZ_SECONDS=3600 scripts/fuzz-long.sh
# It builds like scripts/test-step-30-fuzz.sh, then fuzzes for FUZZ_SECONDS
# (default 3600) on FUZZ_JOBS parallel workers (default 1). The growing corpus
# and any crashing input stay in FUZZ_WORK (default fuzz-corpus-work/, which
# git ignores), so a later run continues where this one stopped. A crashing
# input belongs in fuzz/corpus/ as regress-<what>.txt once its fault is fixed.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
seconds=${FUZZ_SECONDS:-3600}
jobs=${FUZZ_JOBS:-1}
work=${FUZZ_WORK:-$root/fuzz-corpus-work}

scripts/ensure-deps.sh fuzz tools
CC=clang-14 CXX=clang++-14 cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DSCENARIO_FUZZ=ON -DSCENARIO_TESTS=OFF -DSCENARIO_TOOLS=ON >/dev/null
cmake --build build/fuzz -j"$(nproc)" --target scenario_fuzz

mkdir -p "$work/corpus" "$work/artifacts"
cp -n "$root"/fuzz/corpus/* "$work/corpus/"
cd "$work"
extra=()
[[ $jobs -gt 1 ]] && extra=(-fork="$jobs" -ignore_crashes=1)
"$root/build/fuzz/scenario_fuzz" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
  -dict="$root/fuzz/dictionary.txt" -artifact_prefix="$work/artifacts/" -print_final_stats=1 \
  "${extra[@]}" corpus 2>&1 | tee "$work/fuzz.log" | grep -E '^#[0-9]+ +(pulse|DONE)|ERROR|SUMMARY|stat::' || true
ls "$work/artifacts" | grep -q . && { echo "crashing inputs in $work/artifacts" >&2; exit 1; }
echo "no crash; corpus in $work/corpus"
