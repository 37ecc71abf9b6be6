#!/usr/bin/env bash
# Installs the Debian packages that are missing; safe to run again. The package
# lists are refreshed only when something has to be installed.
#   scripts/install-deps.sh           what building and running the program needs
#   scripts/install-deps.sh --tests   that, and what the tests, the fuzz targets and
#                                     the benchmarks need (scripts/test.sh asks for it)
set -euo pipefail
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

# The program: compiler and build tools, Qt (its image-formats plugin writes TIFF),
# ZXing-cpp for the scan check, libzint for the symbologies beyond the window's
# eight, zlib for the PNG writer, the label font Tahoma (fonts-wine) and DejaVu
# for the window, the label products of glabels-data for sheets.
PKGS=(cmake ninja-build g++ qt6-base-dev qt6-svg-dev qt6-image-formats-plugins libgl-dev glabels-data
      libzxing-dev libzint-dev zlib1g-dev fonts-wine fonts-dejavu-core)
case "${1:-}" in
    "") ;;
    --tests)
        # Tests: PDF rendering (poppler), fuzzing
        # (clang and its sanitizer runtime), desktop-file and AppStream validators, groff
        # for the man page.
        # Benchmarks: Google Benchmark, and zint's command line for the batch one.
        # xvfb/xauth to look at the real window.
        PKGS+=(poppler-utils clang libclang-rt-14-dev desktop-file-utils appstream groff-base
               libbenchmark-dev zint xvfb xauth)
        ;;
    *)
        echo "usage: $0 [--tests]" >&2
        exit 2
        ;;
esac

missing=()
for p in "${PKGS[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
    $SUDO apt-get update
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
