#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test twice: a normal build and an
# address + undefined-behaviour sanitizer build; and builds the programs as the packages build
# them (Release, -O3), whose optimiser warns of things the others never see. Exits non-zero on
# any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

export QT_QPA_PLATFORM=offscreen
# Tests never touch the real user's settings or data.
XDG_CONFIG_HOME=$(mktemp -d)
XDG_DATA_HOME=$(mktemp -d)
export XDG_CONFIG_HOME XDG_DATA_HOME
trap 'rm -rf "$XDG_CONFIG_HOME" "$XDG_DATA_HOME"' EXIT

run_suite() {
    local folder=$1
    shift
    cmake -S . -B "$folder" -G Ninja "$@" >/dev/null
    cmake --build "$folder"
    ctest --test-dir "$folder" --output-on-failure --timeout 600 -j2
}

echo "== normal build"
run_suite build -DCMAKE_BUILD_TYPE=RelWithDebInfo

echo "== package build (programs only)"
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRINDLEQUAY_TESTS=OFF >/dev/null
cmake --build build-release

echo "== sanitizer build"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tests/toolkit-leaks.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
run_suite build-sanitize -DCMAKE_BUILD_TYPE=Debug -DBRINDLEQUAY_SANITIZE=ON
