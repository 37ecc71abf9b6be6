#!/usr/bin/env bash
# Installs the Debian packages the program and its tests need; safe to run again.
set -euo pipefail
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
# Build: compiler, Qt (its image-formats plugin writes TIFF), fonts. Tests: decoder, reference encoder, PDF tools, fuzzing
# (clang), desktop-file and AppStream validators. xvfb/xauth for looking at the window.
# zint: the batch benchmark compares with its command line.
PKGS=(cmake ninja-build g++ qt6-base-dev qt6-svg-dev qt6-image-formats-plugins libgl-dev fonts-wine fonts-dejavu-core
      libzxing-dev libzint-dev libbenchmark-dev zlib1g-dev poppler-utils clang libclang-rt-14-dev
      desktop-file-utils appstream xvfb xauth zint)
missing=()
for p in "${PKGS[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
    $SUDO apt-get update
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
