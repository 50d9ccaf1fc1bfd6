#!/usr/bin/env bash
# Formats every tracked C++ file with clang-format (.clang-format), or with
# --check only says which ones drift from it and fails then (CI runs that).
set -euo pipefail
cd "$(dirname "$0")/.."
formatter=$(command -v clang-format || command -v clang-format-14 || true)
if [[ -z "$formatter" ]]; then
    echo "clang-format is not installed (Debian package clang-format)" >&2
    exit 2
fi
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [[ "${1:-}" == "--check" ]]; then
    "$formatter" --dry-run -Werror "${files[@]}"
    echo "All ${#files[@]} C++ files are formatted."
else
    "$formatter" -i "${files[@]}"
fi
