#!/usr/bin/env bash
# One batch of Code 128 symbols, written by this program and by zint's command
# line from the same lines, to PNG and to SVG; prints the wall times and their ratio.
# Usage: bench/batch_vs_zint.sh [path/to/barcode-generator] [lines]
set -euo pipefail
program=${1:-build/barcode-generator}
count=${2:-10000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Product-label-like data of 8 to 24 characters, the same every run.
awk -v n="$count" 'BEGIN { srand(42); for (i = 1; i <= n; i++) {
    s = sprintf("SKU-%06d-", i); len = 8 + int(rand() * 16);
    while (length(s) < len) s = s substr("ABCDEFGHJKLMNPQRSTUVWXYZ0123456789", 1 + int(rand() * 34), 1);
    print substr(s, 1, len) } }' > "$work/lines.txt"

seconds() { local start=$(date +%s.%N); "$@" > /dev/null 2>&1 || true; echo "$(date +%s.%N) - $start" | bc; }

printf '%-5s %10s %10s %8s\n' format ours zint ratio
for format in png svg; do
    mkdir -p "$work/ours-$format" "$work/zint-$format"
    # One pixel per module for both; zint's scale 0.5 is one pixel per X-dimension.
    ours=$(seconds "$program" -t code128 --batch "$work/lines.txt" -o "$work/ours-$format/{n}.$format" --quiet)
    zint=$(cd "$work/zint-$format" && seconds zint -b 20 --scale=0.5 --batch -i "$work/lines.txt" \
        -o "~~~~~.$format" --filetype="${format^^}")
    written_ours=$(ls "$work/ours-$format" | wc -l)
    written_zint=$(ls "$work/zint-$format" | wc -l)
    printf '%-5s %9.2fs %9.2fs %8.2f   (files: %s ours, %s zint)\n' "$format" "$ours" "$zint" \
        "$(echo "$ours / $zint" | bc -l)" "$written_ours" "$written_zint"
done
