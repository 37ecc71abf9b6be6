#!/usr/bin/env bash
# Installs what is missing, builds the program with its tests and benchmarks, and
# runs the whole suite headless; then each fuzz target for a few seconds from its
# committed corpus; then the suite once more under AddressSanitizer and
# UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh --tests
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBARCODE_TESTS=ON -DBARCODE_BENCH=ON
cmake --build build
ctest --test-dir build --output-on-failure

CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DBARCODE_FUZZ=ON -DBARCODE_TESTS=OFF -DBARCODE_BENCH=OFF
FUZZ_TARGETS=(fuzz_code39 fuzz_interleaved fuzz_code128 fuzz_codabar fuzz_ean fuzz_upc fuzz_filename fuzz_csv fuzz_zint fuzz_printed)
cmake --build build-fuzz --target "${FUZZ_TARGETS[@]}"
corpus=$(mktemp -d)
for target in "${FUZZ_TARGETS[@]}"; do
    # New inputs go to a scratch copy; the committed corpus stays as it is.
    mkdir -p "$corpus/$target"
    cp tests/fuzz/corpus/"$target"/* "$corpus/$target/"
    if ! build-fuzz/"$target" -max_total_time="${FUZZ_SECONDS:-8}" -rss_limit_mb=4096 \
            -print_final_stats=1 "$corpus/$target" > "$corpus/$target.log" 2>&1; then
        tail -n 60 "$corpus/$target.log"
        echo "fuzz: $target failed"
        exit 1
    fi
    echo "fuzz: $target $(grep -E '^stat::number_of_executed_units' "$corpus/$target.log")"
done
rm -rf "$corpus"
echo "fuzz: ${#FUZZ_TARGETS[@]} targets ran clean"

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DBARCODE_SANITIZE=ON -DBARCODE_TESTS=ON \
    -DBARCODE_BENCH=OFF
cmake --build build-asan
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0" \
    ctest --test-dir build-asan --output-on-failure
