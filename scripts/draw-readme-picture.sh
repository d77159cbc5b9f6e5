#!/usr/bin/env bash
# Builds scenario_tool, compiles the carried LORVENA texts with it and draws
# the route into docs/lorvena-route.svg, the picture the README shows.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/ensure-deps.sh build tools
cmake -S . -B build/tools-release -DCMAKE_BUILD_TYPE=Release -DSCENARIO_TESTS=OFF -DSCENARIO_TOOLS=ON >/dev/null
cmake --build build/tools-release -j"$(nproc)" --target scenario_tool
tool=build/tools-release/scenario_tool

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$tool" export-carried "$work/src" >/dev/null
"$tool" compile "$work/src/LORVENA_linea.txt" "$work/src/LORVENA_KQ3390-.txt" \
  --scenario LORVENA --train KQ3390 --out "$work/out"
mkdir -p docs
"$tool" draw "$work/out" -o docs/lorvena-route.svg
