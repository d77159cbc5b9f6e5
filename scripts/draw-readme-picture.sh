#!/usr/bin/env bash
# Regenerates the README's two pictures with build/native's scenario_tool:
# docs/lorvena-route.svg, `draw` of the compiled LORVENA texts, and
# docs/preview-lorvena.png, the browser step's first view of LORVENA's
# preview page (taken before any hover, so no tooltip and no path of this
# machine is in it).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/ensure-deps.sh build tools
if [[ ! -x build/native/scenario_tool ]]; then
  cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build build/native -j"$(nproc)" --target scenario_tool
tool=build/native/scenario_tool

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$tool" export-carried "$work/src" >/dev/null
"$tool" compile "$work/src/LORVENA_linea.txt" "$work/src/LORVENA_KQ3390-.txt" \
  --scenario LORVENA --train KQ3390 --out "$work/out"
mkdir -p docs
"$tool" draw "$work/out" -o docs/lorvena-route.svg

scripts/test-step-40-browser.sh
cp artifacts/preview-lorvena.png docs/preview-lorvena.png
