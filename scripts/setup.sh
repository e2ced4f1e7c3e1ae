#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Brindlequay need.
# Safe to run again: it installs only what is missing and asks nothing.
set -euo pipefail

packages=(
    g++ cmake ninja-build pkgconf
    qt6-base-dev libgl-dev
    libexpat1-dev libsqlite3-dev libxlsxwriter-dev
    zlib1g-dev # xlsxwriter.pc links -lz, but libxlsxwriter-dev does not bring it
    libisal-dev libminizip-dev # the fast deflate and the zip container of saving
    libgtest-dev unzip
    clang libclang-rt-14-dev # the fuzzing targets of bench/fuzz.sh
    clang-tidy # scripts/lint.sh
    clang-format # scripts/check-format.sh, which CI runs
    fonts-liberation
)

source "$(dirname "$0")/debian-packages.sh"
install_debian_packages "${packages[@]}"
