#!/usr/bin/env bash
# Fails when a tracked C++ file differs from what .clang-format makes of it.
# `bash scripts/check-format.sh --fix` rewrites the files instead.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = "--fix" ]; then
  clang-format-14 -i "${files[@]}"
  exit 0
fi
if ! clang-format-14 --dry-run --Werror "${files[@]}"; then
  echo "Formatting differs from .clang-format; run: bash scripts/check-format.sh --fix" >&2
  exit 1
fi
echo "Formatting: ${#files[@]} files match .clang-format"
