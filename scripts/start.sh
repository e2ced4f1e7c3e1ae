#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it from its folder.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target brindlequay delivered_files
exec build/dist/brindlequay "$@"
