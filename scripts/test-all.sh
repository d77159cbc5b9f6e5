#!/usr/bin/env bash
# Checks the formatting, builds everything and runs every test: the unit suite
# in the plain Release configuration (every target, no extra options: the
# build any CMake user gets), again under AddressSanitizer and
# UndefinedBehaviorSanitizer, and the steps below. Only the steps write
# artifacts/; the builds stay under build/.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

echo "== formatting"
scripts/check-format.sh

scripts/ensure-deps.sh build tools bench

echo "== native build and unit tests"
cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Release >/dev/null
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
