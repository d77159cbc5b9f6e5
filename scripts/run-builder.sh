#!/usr/bin/env bash
# Builds the builder, runs it from a folder of its own and lists what it wrote.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/ensure-deps.sh build
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DSCENARIO_TESTS=OFF -DSCENARIO_TOOLS=OFF >/dev/null
cmake --build build/release -j"$(nproc)" --target scenario_builder
mkdir -p run
cp build/release/scenario_builder run/
rm -f run/*.txt run/*.dat run/*.sim
status=0
run/scenario_builder || status=$?
echo "scenario_builder ended with status $status; files in $(pwd)/run:"
ls -l run
exit "$status"
