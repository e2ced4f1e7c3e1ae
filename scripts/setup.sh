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
    fonts-liberation
)

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

install=(apt-get install --no-install-recommends "${missing[@]}")
as_root=()
if [[ $(id -u) -ne 0 ]]; then
    # sudo is used only where it can work here: without a password, or with someone to type it.
    if command -v sudo >/dev/null && { sudo -n true 2>/dev/null || [[ -t 0 ]]; }; then
        as_root=(sudo)
    else
        echo "setup: these Debian packages are missing: ${missing[*]}" >&2
        echo "setup: installing them needs root; ask an administrator to run:" >&2
        echo "    ${install[*]}" >&2
        exit 1
    fi
fi
echo "setup: installing ${missing[*]}"
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive "${install[@]}" -y -qq </dev/null
