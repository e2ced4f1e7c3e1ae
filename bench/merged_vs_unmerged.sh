#!/usr/bin/env bash
# The route through the work database with --merge-tables against the same route without it,
# on the same files, in one run on this machine, runs alternating:
#
#   bench/merged_vs_unmerged.sh         # RUNS=3 by default; CORPORA=one_big for one corpus
#
# Corpora: "business-N-M", N e-invoices and M bank statements of our own making
# (bench/make_business_files.py), "articles-N", N journal articles with inline markup
# (bench/make_article_files.py), and the workshop's corpora (../shared/bench/gen_corpus.py):
# many_small, 2,000 small files, and one_big, one file of 64 MB, where nothing merges and only
# the added columns cost. Prints, for one sheet and for one sheet per table, the median wall
# time and peak memory of each, the merged time over the unmerged and the number of sheets
# each wrote. Needs a built build/ and /usr/bin/time.
set -uo pipefail

source "$(dirname "$0")/paths.sh"
RUNS=${RUNS:-3}
CORPORA=${CORPORA:-business-27-26 business-400-150 articles-300 many_small one_big}
JOB_TMP=${JOB_TMP:-/dev/shm}

[[ -x $BATCH ]] || { echo "build the project first (cmake --build build)" >&2; exit 1; }
TMP=$(mktemp -d "$JOB_TMP/brindlequay-bench.XXXXXX") || exit 1
trap 'rm -rf "$TMP"' EXIT
mkdir -p "$WORK/corpus" "$WORK/out"
for corpus in $CORPORA; do
    [[ -e $WORK/corpus/$corpus ]] && continue
    if [[ $corpus =~ ^business-([0-9]+)-([0-9]+)$ ]]; then
        /usr/bin/python3 "$HERE/make_business_files.py" "$WORK/corpus/$corpus" \
            --invoices "${BASH_REMATCH[1]}" --statements "${BASH_REMATCH[2]}" >&2 || exit 1
    elif [[ $corpus =~ ^articles-([0-9]+)$ ]]; then
        /usr/bin/python3 "$HERE/make_article_files.py" "$WORK/corpus/$corpus" \
            --articles "${BASH_REMATCH[1]}" >&2 || exit 1
    else
        /usr/bin/python3 "$SHOP/gen_corpus.py" "$WORK/corpus" --only "$corpus" >&2 || exit 1
    fi
done

# One timed run: appends "milliseconds peak_kb" to the file $1.
measure() {
    local into=$1 t0 t1
    shift
    rm -rf "${TMP:?}"/*
    t0=$(date +%s%N)
    TEMP=$TMP TMPDIR=$TMP /usr/bin/time -f '%M' -o "$WORK/peak" "$@" >/dev/null \
        2>"$WORK/last.err" || echo "  (exit $? from $into: $(head -c 300 "$WORK/last.err"))" >&2
    t1=$(date +%s%N)
    echo "$(((t1 - t0) / 1000000)) $(cat "$WORK/peak")" >>"$into"
}

median() { sort -n | sed -n "$(((RUNS + 1) / 2))p"; }
sheets() { unzip -p "$1" xl/workbook.xml | grep -o '<sheet ' | wc -l; }

printf '%-16s %-6s %11s %9s %11s %9s %7s %8s %8s\n' corpus output unmerged_ms peak_MB \
    merged_ms peak_MB merged sheets0 sheets1
for corpus in $CORPORA; do
    input=$WORK/corpus/$corpus
    for output in one multi; do
        send=--one-sheet
        [[ $output == multi ]] && send=--multiple-sheets
        rm -f "$WORK"/times.*
        for ((run = 0; run < RUNS; run++)); do
            measure "$WORK/times.0" "$BATCH" --quiet --route database $send \
                -o "$WORK/out/unmerged.xlsx" "$input"
            measure "$WORK/times.1" "$BATCH" --quiet --route database --merge-tables $send \
                -o "$WORK/out/merged.xlsx" "$input"
        done
        t0=$(cut -d' ' -f1 "$WORK/times.0" | median)
        t1=$(cut -d' ' -f1 "$WORK/times.1" | median)
        m0=$(cut -d' ' -f2 "$WORK/times.0" | median)
        m1=$(cut -d' ' -f2 "$WORK/times.1" | median)
        printf '%-16s %-6s %11s %9s %11s %9s %7s %8s %8s\n' "$corpus" "$output" "$t0" \
            $((m0 / 1024)) "$t1" $((m1 / 1024)) \
            "$(awk -v a="$t1" -v b="$t0" 'BEGIN { printf "%.2fx", a / b }')" \
            "$(sheets "$WORK/out/unmerged.xlsx")" "$(sheets "$WORK/out/merged.xlsx")"
    done
done
