#!/usr/bin/env bash
# Builds the fuzzing targets with clang's libFuzzer (address and undefined-behaviour sanitizers
# on) and runs each for SECONDS (default 30), seeded from the W3C conformance cases and the
# samples (the archive reader from a few small zip archives of the samples). Corpora grow in
# build-fuzz/corpus; a crash leaves its input in build-fuzz/crashes and makes the script fail.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
bash scripts/setup.sh

cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRINDLEQUAY_FUZZ=ON \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
targets=(fuzz_flatten fuzz_csv_opening fuzz_table_import fuzz_archive)
cmake --build build-fuzz --target "${targets[@]}"

seeds=build-fuzz/seeds
if [[ ! -d $seeds ]]; then
    mkdir -p "$seeds.partial"
    find tests/data/xmlconf resources/Samples -type f -name '*.xml' -size -64k \
        -exec cp --backup=numbered -t "$seeds.partial" {} +
    mv "$seeds.partial" "$seeds"
fi
archive_seeds=build-fuzz/seeds-archive
if [[ ! -d $archive_seeds ]]; then
    mkdir -p "$archive_seeds.partial"
    python3 - "$archive_seeds.partial" resources/Samples <<'PY'
import pathlib, sys, zipfile
out, samples = pathlib.Path(sys.argv[1]), sorted(pathlib.Path(sys.argv[2]).glob("*.xml"))[:3]
for method, name in ((zipfile.ZIP_STORED, "stored"), (zipfile.ZIP_DEFLATED, "deflated")):
    with zipfile.ZipFile(out / f"{name}.zip", "w", method) as archive:
        archive.writestr("folder/", "")
        for sample in samples:
            archive.write(sample, f"folder/{sample.name}")
        archive.writestr("n\u00e4me.xml", "<r/>")
        with archive.open("wide.xml", "w", force_zip64=True) as wide:
            wide.write(b"<w>zip64</w>")
PY
    mv "$archive_seeds.partial" "$archive_seeds"
fi
mkdir -p build-fuzz/crashes
export QT_QPA_PLATFORM=offscreen
status=0
for target in "${targets[@]}"; do
    corpus=build-fuzz/corpus/$target
    mkdir -p "$corpus"
    echo "== $target, $seconds s"
    from=$seeds
    [[ $target == fuzz_archive ]] && from=$archive_seeds
    if ! "build-fuzz/tests/fuzz/$target" "$corpus" "$from" -max_total_time="$seconds" \
        -max_len=65536 -rss_limit_mb=2048 -timeout=20 -print_final_stats=1 \
        -artifact_prefix="build-fuzz/crashes/$target-" 2>"build-fuzz/$target.log"; then
        echo "$target found a failure; the input is in build-fuzz/crashes:" >&2
        tail -n 40 "build-fuzz/$target.log" >&2
        status=1
    fi
    grep -E '^stat::number_of_executed_units|^Done' "build-fuzz/$target.log" || true
done
exit $status
