#!/usr/bin/env bash
# Loads the preview pages in headless Chromium: the carried scenario, the
# generated 1000 km route and a text with a problem from files, and the
# carried scenario once more from `preview --serve`, through a save and a
# save by renaming. Writes screenshots and the measured figures
# (preview-figures.json) into artifacts/; preview-lorvena.png, the first view
# before any hover, is the README's picture (scripts/draw-readme-picture.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

scripts/ensure-deps.sh build tools
# Node may come from another source than Debian: ask for Debian's packages
# only for what is missing, so that they never replace a working install.
command -v chromium >/dev/null || scripts/ensure-deps.sh chromium
if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
  scripts/ensure-deps.sh node
fi

tool=$root/build/native/scenario_tool
if [[ ! -x $tool ]]; then
  cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build build/native -j"$(nproc)" --target scenario_tool

# The driver library, exactly as locked; never a browser download.
export PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1
(cd tests/browser && npm ci --no-audit --no-fund --silent)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p artifacts
SCENARIO_TOOL=$tool WORK=$work/pages ARTIFACTS=$root/artifacts CHROMIUM=/usr/bin/chromium \
  node tests/browser/preview.test.mjs
