#!/usr/bin/env bash
# Builds everything and runs every test: the unit suite natively, again under
# AddressSanitizer and UndefinedBehaviorSanitizer, and the steps below.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

scripts/ensure-deps.sh build tools bench

echo "== native build and unit tests"
cmake -S . -B build/native -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSCENARIO_BENCH=ON >/dev/null
cmake --build build/native -j"$jobs"
ctest --test-dir build/native --output-on-failure -j"$jobs"

echo "== unit tests under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build/sanitize -DCMAKE_BUILD_TYPE=Debug -DSCENARIO_SANITIZE=ON >/dev/null
cmake --build build/sanitize -j"$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build/sanitize --output-on-failure -j"$jobs"

# Further steps live in scripts/test-*.sh beside this one and run in name order.
for step in scripts/test-step-*.sh; do
  [[ -e "$step" ]] || continue
  echo "== $(basename "$step" .sh)"
  bash "$step"
done
echo "all tests passed"
