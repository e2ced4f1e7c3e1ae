#!/usr/bin/env bash
# What a summary costs: the batch program with and without --summary on the workshop's
# many_small and one_big corpora, runs alternating, in one sitting on this machine:
#
#   bench/summary_cost.sh             # RUNS=5 by default; ROUTE=database for the other route
#
# Prints for each corpus the median wall time without and with --summary (which gathers the
# summary and adds its sheet) and their ratio. Needs a built build/ and the workshop beside the
# project (../shared/bench) to make the corpora.
set -uo pipefail

HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$HERE/.." && pwd)
SHOP=${SHOP:-$ROOT/../shared/bench}
BATCH=${BATCH:-$ROOT/build/dist/brindlequay-batch}
WORK=${WORK:-/tmp/brindlequay-bench}
RUNS=${RUNS:-5}
ROUTE=${ROUTE:-flatten}
JOB_TMP=${JOB_TMP:-/dev/shm}

[[ -x $BATCH ]] || { echo "build the project first (cmake --build build)" >&2; exit 1; }
TMP=$(mktemp -d "$JOB_TMP/brindlequay-summary.XXXXXX") || exit 1
trap 'rm -rf "$TMP"' EXIT
mkdir -p "$WORK/corpus"
[[ -f $WORK/corpus/one_big/list.txt ]] || /usr/bin/python3 "$SHOP/gen_corpus.py" "$WORK/corpus" >&2

# One timed run: prints its milliseconds.
measure() {
    local list=$1 t0 t1
    shift
    rm -rf "${TMP:?}"/work
    mkdir "$TMP/work"
    t0=$(date +%s%N)
    TEMP=$TMP/work TMPDIR=$TMP/work "$BATCH" --quiet --route "$ROUTE" "$@" -o "$TMP/out.xlsx" - \
        <"$list" >/dev/null 2>"$TMP/err" || [[ $? == 1 ]] ||
        echo "  (failed: $(head -c 300 "$TMP/err"))" >&2
    t1=$(date +%s%N)
    echo $(((t1 - t0) / 1000000))
}

median() { sort -n | sed -n "$(((RUNS + 1) / 2))p"; }

printf '%-11s %-8s %10s %10s %7s\n' corpus route plain_ms summary_ms ratio
for corpus in many_small one_big; do
    list=$WORK/corpus/$corpus/list.txt
    : >"$TMP/plain" && : >"$TMP/summed"
    measure "$list" >/dev/null # warms the page cache
    for ((run = 0; run < RUNS; ++run)); do
        measure "$list" >>"$TMP/plain"
        measure "$list" --summary --report "$TMP/report.json" >>"$TMP/summed"
    done
    plain=$(median <"$TMP/plain")
    summed=$(median <"$TMP/summed")
    printf '%-11s %-8s %10s %10s %7s\n' "$corpus" "$ROUTE" "$plain" "$summed" \
        "$(awk -v a="$summed" -v b="$plain" 'BEGIN { printf "%.3fx", a / b }')"
done
