#!/usr/bin/env bash
# Import and save against the floor probe of the shared benchmark workshop (the fastest
# pipeline built from libraries), in one run on this machine, runs alternating:
#
#   bench/saving_vs_floor.sh            # RUNS=3 by default; RUNS=1 for a quick pass;
#                                       # CORPORA=many_small for one corpus
#
# Prints for many_small and one_big the median wall time of the batch program (one sheet, and
# one sheet per file) over the floor's, the peak memory over the corpus's size, the saved
# file's size over the floor's, and the window's time from Start pressed to the workbook shown
# over the floor's import and save. Needs a built build/ (the batch program and
# build/bench/window_show_bench), the workshop beside the project (../shared/bench),
# libpugixml-dev for the floor probe, and /usr/bin/time.
#
# The temporary folder of every run is JOB_TMP (default /dev/shm): on an ext4 folder, creating
# thousands of small files just after as many were deleted costs anywhere from nothing to
# seconds, which drowns what is measured. JOB_TMP=/tmp measures that too.
set -uo pipefail

HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$HERE/.." && pwd)
SHOP=${SHOP:-$ROOT/../shared/bench}
BATCH=${BATCH:-$ROOT/build/dist/brindlequay-batch}
WINDOW=${WINDOW:-$ROOT/build/bench/window_show_bench}
WORK=${WORK:-/tmp/brindlequay-bench}
RUNS=${RUNS:-3}
JOB_TMP=${JOB_TMP:-/dev/shm}

[[ -x $BATCH && -x $WINDOW ]] || { echo "build the project first (cmake --build build)" >&2; exit 1; }
[[ -d $SHOP ]] || { echo "no benchmark workshop at $SHOP" >&2; exit 1; }
TMP=$(mktemp -d "$JOB_TMP/brindlequay-bench.XXXXXX") || exit 1
trap 'rm -rf "$TMP"' EXIT
mkdir -p "$WORK/corpus" "$WORK/out"
[[ -f $WORK/corpus/one_big/list.txt ]] || /usr/bin/python3 "$SHOP/gen_corpus.py" "$WORK/corpus" >&2
# The workshop may be read-only, so the probe is built here.
FLOOR=$WORK/limit
if [[ ! -x $FLOOR || $SHOP/limit/limit.cpp -nt $FLOOR ]]; then
    g++ -O2 -std=c++17 -o "$FLOOR" "$SHOP/limit/limit.cpp" \
        $(pkg-config --cflags --libs pugixml xlsxwriter expat) || exit 1
fi

# One timed run: appends "milliseconds peak_kb" of the command to the file $1; the command
# reads the list of files $2 on its standard input.
measure() {
    local into=$1 input=$2 t0 t1
    shift 2
    rm -rf "${TMP:?}"/*
    t0=$(date +%s%N)
    TEMP=$TMP TMPDIR=$TMP /usr/bin/time -f '%M' -o "$WORK/peak" "$@" \
        >/dev/null 2>"$WORK/last.err" <"$input" ||
        echo "  (exit $? from $1: $(head -c 300 "$WORK/last.err"))" >&2
    t1=$(date +%s%N)
    echo "$(((t1 - t0) / 1000000)) $(cat "$WORK/peak")" >>"$into"
}

median() { sort -n | sed -n "$(((RUNS + 1) / 2))p"; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2fx", a / b }'; }

printf '%-11s %-7s %9s %9s %7s %9s %8s %10s %7s\n' corpus output ms floor_ms time \
    peak_MB /input file_MB /floor
for corpus in ${CORPORA:-many_small one_big}; do
    list=$WORK/corpus/$corpus/list.txt
    input=$(du -sb "$WORK/corpus/$corpus" | cut -f1)
    rm -f "$WORK"/*.times
    for ((run = 0; run < RUNS; run++)); do
        measure "$WORK/floor.times" "$list" "$FLOOR" -o "$WORK/out/floor.xlsx" --list "$list"
        measure "$WORK/one.times" "$list" "$BATCH" -q --one-sheet -o "$WORK/out/one.xlsx" -
        measure "$WORK/multi.times" "$list" "$BATCH" -q --multiple-sheets -o "$WORK/out/multi.xlsx" -
    done
    floor_ms=$(cut -d' ' -f1 "$WORK/floor.times" | median)
    floor_size=$(stat -c %s "$WORK/out/floor.xlsx")
    for output in one multi; do
        ms=$(cut -d' ' -f1 "$WORK/$output.times" | median)
        peak=$(cut -d' ' -f2 "$WORK/$output.times" | median)
        size=$(stat -c %s "$WORK/out/$output.xlsx")
        printf '%-11s %-7s %9s %9s %7s %9.1f %8s %10.1f %7s\n' "$corpus" "$output" "$ms" \
            "$floor_ms" "$(ratio "$ms" "$floor_ms")" "$((peak / 1024)).0" \
            "$(ratio "$((peak * 1024))" "$input")" "$(awk -v s="$size" 'BEGIN { print s / 1e6 }')" \
            "$(ratio "$size" "$floor_size")"
    done
    if [[ $corpus == one_big ]]; then
        shown=()
        for ((run = 0; run < RUNS; run++)); do
            shown+=("$(TEMP=$TMP "$WINDOW" "$list" 2>/dev/null)")
        done
        ms=$(printf '%s\n' "${shown[@]}" | awk '{ print $2 }' | median)
        peak=$(printf '%s\n' "${shown[@]}" | awk '{ print $4 }' | median)
        printf '%-11s %-7s %9s %9s %7s %9s %8s\n' "$corpus" window "$ms" "$floor_ms" \
            "$(ratio "$ms" "$floor_ms")" "$((peak / 1024)).0" "$(ratio "$((peak * 1024))" "$input")"
    fi
done
