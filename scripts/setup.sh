#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Brindlequay need.
# Safe to run again: it installs only what is missing and asks nothing.
set -euo pipefail

packages=(
    g++ cmake ninja-build pkgconf
    qt6-base-dev libgl-dev
    libexpat1-dev libsqlite3-dev libxlsxwriter-dev
    libgtest-dev unzip
    fonts-liberation
)

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

as_root=()
if [[ $(id -u) -ne 0 ]]; then
    command -v sudo >/dev/null || { echo "setup: run as root or install sudo" >&2; exit 1; }
    as_root=(sudo)
fi
echo "setup: installing ${missing[*]}"
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" </dev/null
