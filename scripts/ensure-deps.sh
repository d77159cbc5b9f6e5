#!/usr/bin/env bash
# Installs the Debian packages a step needs when they are missing.
# Usage: scripts/ensure-deps.sh GROUP...   (groups: build, format, windows, fuzz, tools, bench, chromium, node)
set -euo pipefail

declare -A groups=(
  [build]="build-essential cmake googletest libgtest-dev"
  [format]="clang-format-14"
  [windows]="g++-mingw-w64-x86-64 wine64 wine fonts-wine xvfb imagemagick x11-utils xauth xdotool curl"
  [fuzz]="clang-14 libclang-rt-14-dev"
  [tools]="libcli11-dev nlohmann-json3-dev libfmt-dev libboost-dev librsvg2-bin"
  [chromium]="chromium"
  # Only where no Node.js is installed at all: a Node.js from another source
  # (NodeSource's nodejs ships its own npm and conflicts with Debian's) must
  # not be replaced.
  [node]="nodejs npm"
  [bench]="libbenchmark-dev time"
)

missing=()
for group in "$@"; do
  [[ -n "${groups[$group]+x}" ]] || { echo "ensure-deps: unknown group '$group'" >&2; exit 2; }
  for pkg in ${groups[$group]}; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "ok installed" || missing+=("$pkg")
  done
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

if [[ $(id -u) -ne 0 ]]; then
  echo "ensure-deps: missing packages: ${missing[*]}" >&2
  echo "ensure-deps: run as root, or install them with: sudo apt-get install ${missing[*]}" >&2
  exit 1
fi
echo "ensure-deps: installing ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq "${missing[@]}" >/dev/null
