#!/usr/bin/env bash
# The route through the work database at scale, in one run on this machine:
#
#   bench/database_scale.sh            # everything; PARTS="tables" or PARTS="memory" for less
#
# Tables (time linear in their number):
#   - one-record files, each its own table: 5,000 against 100,000 files. Goal: 100,000 in at
#     most 20 times the time of 5,000, and under 120 s;
#   - one file of N distinct record names, so N tables: 8,000 against 100,000.
# Memory (peak over the input's size, goal at most 3): one_big, and a file of 256 MB made of
# one_big's records repeated, each merged and not; and a file of 7 MB nested a million deep,
# merged. Needs a built build/, the workshop beside the project (../shared/bench) for one_big,
# and /usr/bin/time.
set -uo pipefail

source "$(dirname "$0")/paths.sh"
source "$(dirname "$0")/one_record_files.sh"
PARTS=${PARTS:-tables memory}

[[ -x $BATCH ]] || { echo "build the project first (cmake --build build)" >&2; exit 1; }
mkdir -p "$WORK/scale"
TMP=$(mktemp -d "/tmp/brindlequay-scale.XXXXXX") || exit 1
trap 'rm -rf "$TMP"' EXIT

# Runs the batch program on the route through the database; sets TAKEN (s) and PEAK_KB.
run_database() {
    TEMP=$TMP /usr/bin/time -f "%e %M" -o "$TMP/time" "$BATCH" --quiet --route database "$@" \
        -o "$TMP/out.xlsx" >/dev/null 2>"$TMP/errors"
    local status=$?
    # A status other than 0 puts a line of its own before the figures.
    read -r TAKEN PEAK_KB < <(tail -n 1 "$TMP/time")
    [[ $status -le 1 ]] || echo "  status $status: $(head -n 3 "$TMP/errors")" >&2
    rm -f "$TMP/out.xlsx"
}

# One file whose document holds N records of N distinct names.
distinct_records_file() {
    local count=$1 file=$WORK/scale/distinct-$1.xml
    [[ -f $file ]] || /usr/bin/python3 - "$file" "$count" <<'PY'
import sys
path, count = sys.argv[1], int(sys.argv[2])
with open(path, "w") as f:
    f.write("<doc>")
    for i in range(count):
        f.write(f"<r{i}><v>{i}</v><w>x</w></r{i}>")
    f.write("</doc>\n")
PY
    echo "$file"
}

if [[ $PARTS == *tables* ]]; then
    echo "tables, one sheet, not merged (goal: time linear in the number of tables):"
    small=$(one_record_files 5000)
    run_database "$small"
    small_time=$TAKEN
    printf '  %7s one-record files  %8.1f s\n' 5,000 "$small_time"
    large=$(one_record_files 100000)
    run_database "$large"
    large_time=$TAKEN
    printf '  %7s one-record files  %8.1f s  (%.1f times 5,000; goal at most 20, under 120 s)\n' \
        100,000 "$large_time" "$(echo "$large_time / $small_time" | bc -l)"
    for count in 8000 100000; do
        run_database "$(distinct_records_file $count)"
        printf '  one file, %7d record names  %8.1f s\n' "$count" "$TAKEN"
    done
fi

if [[ $PARTS == *memory* ]]; then
    [[ -f $WORK/corpus/one_big/one_big.xml ]] ||
        /usr/bin/python3 "$SHOP/gen_corpus.py" "$WORK/corpus" --only one_big >&2
    ONE=$WORK/corpus/one_big/one_big.xml
    QUARTER=$WORK/scale/quarter-gigabyte.xml
    if [[ ! -f $QUARTER || $ONE -nt $QUARTER ]]; then
        # The document element's start tag is on line 3 and its end tag on the last line.
        total=$(wc -l <"$ONE")
        times=$(((256 * 1024 * 1024) / $(stat -c %s "$ONE")))
        {
            head -n 3 "$ONE"
            for _ in $(seq "$times"); do sed -n "4,$((total - 1))p" "$ONE"; done
            tail -n 1 "$ONE"
        } >"$QUARTER.partial" && mv "$QUARTER.partial" "$QUARTER"
    fi
    DEEP=$WORK/scale/deep.xml
    [[ -f $DEEP ]] || /usr/bin/python3 - "$DEEP" <<'PY'
import sys
depth = 1000000
with open(sys.argv[1], "w") as f:
    f.write("<e>" * depth + "v" + "</e>" * depth + "\n")
PY
    echo "peak memory over the file's size (goal: at most 3):"
    for file in "$ONE" "$QUARTER"; do
        bytes=$(stat -c %s "$file")
        for merge in "" --merge-tables; do
            run_database ${merge:+"$merge"} "$file"
            printf '  %-24s %6d MB  %-15s %6.1f s  peak %6d MB  %5.2f\n' "$(basename "$file")" \
                $((bytes >> 20)) "${merge:-not merged}" "$TAKEN" $((PEAK_KB >> 10)) \
                "$(echo "$PEAK_KB * 1024 / $bytes" | bc -l)"
        done
    done
    bytes=$(stat -c %s "$DEEP")
    run_database --merge-tables "$DEEP"
    printf '  %-24s %6d MB  %-15s %6.1f s  peak %6d MB  %5.2f\n' "deep.xml (10^6 deep)" \
        $((bytes >> 20)) "merged" "$TAKEN" $((PEAK_KB >> 10)) \
        "$(echo "$PEAK_KB * 1024 / $bytes" | bc -l)"
fi
