#!/usr/bin/env bash
# Runs clang-tidy with the checks of .clang-tidy over every source file of src/, app/ and cli/,
# two at a time, and fails on any finding. The compile commands come from a configured (not
# built) folder, build-tidy, made with clang so that clang-tidy reads the flags it would use.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

cmake -S . -B build-tidy -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ >/dev/null

# Prints a file's findings only when it has some, in one piece, so that the two at work at
# once do not interleave.
tidy_one() {
    local output
    if output=$(clang-tidy -p build-tidy --quiet "$1" 2>&1); then
        return 0
    fi
    grep -vE '^[0-9]+ warnings? (and [0-9]+ errors? )?generated\.$' <<<"$output" >&2 || true
    return 1
}
export -f tidy_one

# The Windows side of each seam is checked by the MinGW build (-Werror), which has its headers.
mapfile -t files < <(find src app cli -name '*.cpp' ! -name '*Windows.cpp' | sort)
echo "lint: clang-tidy on ${#files[@]} files"
if ! printf '%s\n' "${files[@]}" | xargs -P2 -n1 bash -c 'tidy_one "$1"' _; then
    echo "lint: clang-tidy found faults (above)" >&2
    exit 1
fi
echo "lint: clean"
