#!/usr/bin/env bash
# Times the batch program against the peers of the shared benchmark workshop on the same
# generated corpora, in one run on this machine, and prints the ratios.
#
#   bench/batch_vs_peers.sh            # RUNS=3 by default; RUNS=1 for a quick pass
#
# Needs the workshop beside the project (../shared/bench), a built build/dist/brindlequay-batch,
# Debian's python3-lxml and python3-xlsxwriter for the lxml peer, and libpugixml-dev for the
# workshop's floor probe.
set -uo pipefail

source "$(dirname "$0")/paths.sh"
RUNS=${RUNS:-3}
PY=/usr/bin/python3

[[ -x $BATCH ]] || { echo "build the batch program first (cmake --build build)" >&2; exit 1; }
[[ -d $SHOP ]] || { echo "no benchmark workshop at $SHOP" >&2; exit 1; }
$PY -c 'import lxml, xlsxwriter' 2>/dev/null ||
    { echo "install python3-lxml and python3-xlsxwriter for the peers" >&2; exit 1; }

mkdir -p "$WORK/corpus" "$WORK/out" "$WORK/tmp"
[[ -f $WORK/corpus/one_big/list.txt ]] || $PY "$SHOP/gen_corpus.py" "$WORK/corpus" >&2
"$SHOP/limit/build.sh" >&2 || exit 1

# Median wall time in milliseconds of RUNS runs of a command (its output thrown away).
median_ms() {
    local times=() t0 t1
    for ((i = 0; i < RUNS; i++)); do
        rm -rf "$WORK/tmp"/*
        t0=$(date +%s%N)
        TEMP=$WORK/tmp TMPDIR=$WORK/tmp "$@" >/dev/null 2>"$WORK/last.err" </dev/null ||
            echo "  (exit $? from $1: $(head -c 200 "$WORK/last.err"))" >&2
        t1=$(date +%s%N)
        times+=($(((t1 - t0) / 1000000)))
    done
    printf '%s\n' "${times[@]}" | sort -n | sed -n "$(((RUNS + 1) / 2))p"
}

printf '%-12s %12s %12s %12s %10s %10s\n' corpus batch_ms lxml_ms limit_ms vs_lxml vs_limit
for corpus in many_small one_big deep wide; do
    list=$WORK/corpus/$corpus/list.txt
    ours=$(median_ms bash -c "'$BATCH' -q -o '$WORK/out/batch.$corpus.xlsx' - < '$list'")
    lxml=$(median_ms $PY "$SHOP/peer_lxml.py" --huge-tree -o "$WORK/out/lxml.$corpus.xlsx" --list "$list")
    limit=$(median_ms "$SHOP/limit/limit" -o "$WORK/out/limit.$corpus.xlsx" --list "$list")
    printf '%-12s %12s %12s %12s %10s %10s\n' "$corpus" "$ours" "$lxml" "$limit" \
        "$(awk -v a="$ours" -v b="$lxml" 'BEGIN { printf "%.2fx", a / b }')" \
        "$(awk -v a="$ours" -v b="$limit" 'BEGIN { printf "%.2fx", a / b }')"
done
