#!/usr/bin/env bash
# Checks that every source of the tree is laid out as clang-format and the project's
# .clang-format have it; prints each place that is not and exits 1. Fix with clang-format -i.
# Found by folder rather than by git, so that it also checks a copy of the tree without one.
set -euo pipefail
cd "$(dirname "$0")/.."
find app bench cli src tests \( -name '*.cpp' -o -name '*.h' \) -print0 |
    xargs -0 clang-format --dry-run --Werror
