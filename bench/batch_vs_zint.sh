#!/usr/bin/env bash
# One batch of Code 128 symbols, written by this program and by zint's command
# line from the same lines, to PNG and to SVG; prints the wall and CPU times and
# their ratios.
# Usage: bench/batch_vs_zint.sh [path/to/barcode-generator] [lines]
set -euo pipefail
program=${1:-build/barcode-generator}
count=${2:-10000}
# On a RAM file system when there is one: the run measures the programs, not how
# the disk allocates thousands of inodes next to ones just deleted.
work=$(mktemp -d -p "$( [ -d /dev/shm ] && echo /dev/shm || echo /tmp)")
trap 'rm -rf "$work"' EXIT

# Product-label-like data of 8 to 24 characters, the same every run.
awk -v n="$count" 'BEGIN { srand(42); for (i = 1; i <= n; i++) {
    s = sprintf("SKU-%06d-", i); len = 8 + int(rand() * 16);
    while (length(s) < len) s = s substr("ABCDEFGHJKLMNPQRSTUVWXYZ0123456789", 1 + int(rand() * 34), 1);
    print substr(s, 1, len) } }' > "$work/lines.txt"

# Wall-clock and CPU (user + system) seconds of one run, as "wall cpu".
seconds() {
    /usr/bin/time -f '%e %U %S' -o "$work/time" "$@" > /dev/null 2>&1 || true
    awk '{ printf "%s %.2f", $1, $2 + $3 }' "$work/time"
}

# Ours twice: as it runs by default, reading every file back with a decoder,
# and with --no-verify, doing what zint does: drawing and writing.
printf '%-5s %-12s %-18s %-18s %s\n' format 'ours' 'ours (wall, cpu)' 'zint (wall, cpu)' 'ratio (wall, cpu)'
for format in png svg; do
    mkdir -p "$work/zint-$format"
    zint=$(cd "$work/zint-$format" && seconds zint -b 20 --scale=0.5 --batch -i "$work/lines.txt" \
        -o "~~~~~.$format" --filetype="${format^^}")
    written_zint=$(ls "$work/zint-$format" | wc -l)
    read -r zint_wall zint_cpu <<< "$zint"
    for mode in checked no-verify; do
        out="$work/ours-$format-$mode"
        mkdir -p "$out"
        extra=()
        [ "$mode" = no-verify ] && extra=(--no-verify)
        # One pixel per module for both; zint's scale 0.5 is one pixel per X-dimension.
        ours=$(seconds "$program" -t code128 --batch "$work/lines.txt" -o "$out/{n}.$format" --quiet "${extra[@]}")
        written_ours=$(ls "$out" | wc -l)
        read -r ours_wall ours_cpu <<< "$ours"
        printf '%-5s %-12s %6.2fs %6.2fs     %6.2fs %6.2fs     %5.2f %5.2f   (files: %s ours, %s zint)\n' \
            "$format" "$mode" "$ours_wall" "$ours_cpu" "$zint_wall" "$zint_cpu" \
            "$(echo "$ours_wall / $zint_wall" | bc -l)" "$(echo "$ours_cpu / $zint_cpu" | bc -l)" \
            "$written_ours" "$written_zint"
    done
done
