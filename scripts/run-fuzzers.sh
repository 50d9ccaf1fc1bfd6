#!/usr/bin/env bash
# Runs every fuzz target of <build>/fuzz (fuzz_*; the modules they open lie
# beside them) for <seconds> each, seeded with the files its seed writer
# makes (the target run with ZADARAVOD_FUZZ_SEEDS set) and with the files the
# tests kept for it in <seeds>/<target> (optional).
set -euo pipefail
build=$1
seconds=${2:-60}
seeds=${3:-}
status=0
shopt -s nullglob
for target in "$build"/fuzz/fuzz_*; do
    [[ -x "$target" && -f "$target" ]] || continue
    name=$(basename "$target")
    corpus="$build/fuzz-corpus/$name"
    mkdir -p "$corpus"
    # A target may write its own seeds when started with ZADARAVOD_FUZZ_SEEDS set.
    ZADARAVOD_FUZZ_SEEDS="$corpus" "$target" -runs=0 "$corpus" >/dev/null 2>&1 || true
    if [[ -n "$seeds" && -d "$seeds/$name" ]]; then
        cp -n "$seeds/$name"/* "$corpus"/ 2>/dev/null || true
    fi
    echo "== $name: ${seconds}s"
    if ! "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
            "$corpus" 2>"$build/fuzz-$name.log"; then
        echo "FAILED: $name (see $build/fuzz-$name.log)"
        tail -n 40 "$build/fuzz-$name.log"
        status=1
    else
        grep -E 'stat::number_of_executed_units|Done' "$build/fuzz-$name.log" | tail -n 2 || true
    fi
done
exit $status
