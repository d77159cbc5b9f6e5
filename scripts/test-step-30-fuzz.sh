#!/usr/bin/env bash
# Fuzzes the compile stage under AddressSanitizer and UndefinedBehaviorSanitizer:
# every seed once, then a bounded run from a copy of the corpus in a temporary
# directory (nothing is written into the repository). Fails on any crash,
# leak, timeout or broken property; the temporary directory with the crashing
# input is then kept and named.
# FUZZ_SECONDS sets the length of the bounded run (default 60).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
seconds=${FUZZ_SECONDS:-60}

scripts/ensure-deps.sh fuzz
CC=clang-14 CXX=clang++-14 cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DSCENARIO_FUZZ=ON -DSCENARIO_TESTS=OFF -DSCENARIO_TOOLS=OFF >/dev/null
cmake --build build/fuzz -j"$(nproc)" --target scenario_fuzz
fuzzer=$root/build/fuzz/scenario_fuzz

work=$(mktemp -d)
keep=0
trap '[[ $keep -eq 1 ]] || rm -rf "$work"' EXIT

echo "-- every seed once"
# A seed named code-NNN-... must end with code NNN, fatal-NNNN-... with that
# fatal code: a seed that drifted away from its case no longer covers it.
status=0
for seed in "$root"/fuzz/corpus/*; do
  name=$(basename "$seed")
  if ! out=$(cd "$work" && SCENARIO_FUZZ_REPORT=1 "$fuzzer" -timeout=20 "$seed" 2>&1); then
    echo "$out" >&2
    echo "FAIL: $name crashed" >&2
    status=1
    continue
  fi
  outcome=$(grep -m1 '^outcome:' <<<"$out" || true)
  expected=""
  case "$name" in
    code-*) expected="code $((10#$(cut -d- -f2 <<<"$name"))) position -?[0-9]+ fatal -" ;;
    fatal-*) expected="code -?[0-9]+ position -?[0-9]+ fatal $(cut -d- -f2 <<<"$name")" ;;
  esac
  if [[ -n "$expected" ]] && ! grep -Eq "^outcome: $expected\$" <<<"$outcome"; then
    echo "FAIL: $name ended with '$outcome'" >&2
    status=1
  fi
done
[[ $status -eq 0 ]] || exit 1

echo "-- bounded run of ${seconds}s"
mkdir "$work/corpus" "$work/artifacts"
cp "$root"/fuzz/corpus/* "$work/corpus/"
if ! (cd "$work" && "$fuzzer" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
        -dict="$root/fuzz/dictionary.txt" -artifact_prefix="$work/artifacts/" \
        -print_final_stats=1 corpus 2>fuzz.log); then
  keep=1
  tail -n 60 "$work/fuzz.log" >&2
  echo "FAIL: crashing input and log kept in $work/artifacts and $work/fuzz.log" >&2
  exit 1
fi
grep -E '^stat::(number_of_executed_units|peak_rss_mb)' "$work/fuzz.log" || true
echo "fuzz: no crash"
