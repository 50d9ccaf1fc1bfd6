#!/usr/bin/env bash
# Runs every benchmark of <build>/bench and prints its figures.
set -euo pipefail
build=${1:-build}
shopt -s nullglob
for b in "$build"/bench/*; do
    [[ -x "$b" && -f "$b" ]] || continue
    echo "== $(basename "$b")"
    "$b"
done
