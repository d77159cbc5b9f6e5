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

scripts/ensure-deps.sh fuzz tools
CC=clang-14 CXX=clang++-14 cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DSCENARIO_FUZZ=ON -DSCENARIO_TESTS=OFF -DSCENARIO_TOOLS=ON >/dev/null
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

# --- The payload reader (the end of the builder's own file) -----------------
# Seeds named valid-* must be read as a scenario, no-footer-* as no payload,
# every other one as damaged. PAYLOAD_FUZZ_SECONDS sets its bounded run
# (default 30).
echo "-- payload reader: every seed once"
cmake --build build/fuzz -j"$(nproc)" --target scenario_payload_fuzz
payload_fuzzer=$root/build/fuzz/scenario_payload_fuzz
for seed in "$root"/fuzz/payload-corpus/*; do
  name=$(basename "$seed")
  if ! out=$(cd "$work" && SCENARIO_FUZZ_REPORT=1 "$payload_fuzzer" "$seed" 2>&1); then
    echo "$out" >&2
    echo "FAIL: payload seed $name crashed" >&2
    exit 1
  fi
  case "$name" in
    valid-*) expected="valid" ;;
    no-footer*) expected="none" ;;
    *) expected="damaged" ;;
  esac
  if ! grep -Eq "^outcome: $expected(:|\$)" <<<"$out"; then
    echo "FAIL: payload seed $name: $(grep -m1 '^outcome:' <<<"$out" || echo 'no outcome')" >&2
    exit 1
  fi
done
echo "-- payload reader: bounded run of ${PAYLOAD_FUZZ_SECONDS:-30}s"
mkdir "$work/payload-corpus" "$work/payload-artifacts"
cp "$root"/fuzz/payload-corpus/* "$work/payload-corpus/"
if ! (cd "$work" && "$payload_fuzzer" -max_total_time="${PAYLOAD_FUZZ_SECONDS:-30}" -timeout=10 \
        -rss_limit_mb=2048 -artifact_prefix="$work/payload-artifacts/" -print_final_stats=1 \
        payload-corpus 2>payload-fuzz.log); then
  keep=1
  tail -n 60 "$work/payload-fuzz.log" >&2
  echo "FAIL: crashing input and log kept in $work/payload-artifacts and $work/payload-fuzz.log" >&2
  exit 1
fi
grep -E '^stat::(number_of_executed_units|peak_rss_mb)' "$work/payload-fuzz.log" || true
echo "payload fuzz: no crash"
