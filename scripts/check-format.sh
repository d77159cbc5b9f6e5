#!/usr/bin/env bash
# Checks that every C++ file follows the project's .clang-format, with the
# clang-format that scripts/ensure-deps.sh installs (another version formats
# differently). Changes nothing; names each file that differs.
# To mend one file: clang-format-14 -i FILE
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/ensure-deps.sh format

mapfile -t files < <(find src tests fuzz bench scenarios -type f \( -name '*.cpp' -o -name '*.h' \) |
  LC_ALL=C sort)
[[ ${#files[@]} -gt 0 ]] || { echo "check-format: no files found" >&2; exit 1; }

if ! clang-format-14 --dry-run -Werror "${files[@]}" 2>/dev/null; then
  echo "check-format: these files differ from .clang-format (clang-format-14 -i FILE):" >&2
  for f in "${files[@]}"; do
    clang-format-14 --dry-run -Werror "$f" >/dev/null 2>&1 || echo "  $f" >&2
  done
  exit 1
fi
echo "check-format: ${#files[@]} files formatted"
