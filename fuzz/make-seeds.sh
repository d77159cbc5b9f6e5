#!/usr/bin/env bash
# Regenerates fuzz/corpus/carried-lorvena.txt from the scenario the build
# carries. The hand-made cases beside it are kept as they are.
# Usage: fuzz/make-seeds.sh [BUILD_DIR]   (default build/fuzz, configured with
# SCENARIO_FUZZ=ON as scripts/test-step-30-fuzz.sh does)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/fuzz}
cmake --build "$build" --target scenario_fuzz_seed >/dev/null
"$build/scenario_fuzz_seed" fuzz/corpus/carried-lorvena.txt
echo "wrote fuzz/corpus/carried-lorvena.txt"
