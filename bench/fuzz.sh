#!/usr/bin/env bash
# Builds the fuzzing targets with clang's libFuzzer (address and undefined-behaviour sanitizers
# on) and runs each for SECONDS (default 30), seeded from the W3C conformance cases and the
# samples. Corpora grow in build-fuzz/corpus; a crash leaves its input in build-fuzz/crashes
# and makes the script fail.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
bash scripts/setup.sh

cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRINDLEQUAY_FUZZ=ON \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
targets=(fuzz_flatten fuzz_csv_opening fuzz_table_import)
cmake --build build-fuzz --target "${targets[@]}"

seeds=build-fuzz/seeds
if [[ ! -d $seeds ]]; then
    mkdir -p "$seeds.partial"
    find tests/data/xmlconf resources/Samples -type f -name '*.xml' -size -64k \
        -exec cp --backup=numbered -t "$seeds.partial" {} +
    mv "$seeds.partial" "$seeds"
fi
mkdir -p build-fuzz/crashes
export QT_QPA_PLATFORM=offscreen
status=0
for target in "${targets[@]}"; do
    corpus=build-fuzz/corpus/$target
    mkdir -p "$corpus"
    echo "== $target, $seconds s"
    if ! "build-fuzz/tests/fuzz/$target" "$corpus" "$seeds" -max_total_time="$seconds" \
        -max_len=65536 -rss_limit_mb=2048 -timeout=20 -print_final_stats=1 \
        -artifact_prefix="build-fuzz/crashes/$target-" 2>"build-fuzz/$target.log"; then
        echo "$target found a failure; the input is in build-fuzz/crashes:" >&2
        tail -n 40 "build-fuzz/$target.log" >&2
        status=1
    fi
    grep -E '^stat::number_of_executed_units|^Done' "build-fuzz/$target.log" || true
done
exit $status
