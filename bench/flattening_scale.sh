#!/usr/bin/env bash
# The flattening route at scale against merged tables on the same files, in one run on this
# machine:
#
#   bench/flattening_scale.sh           # COUNTS="10000 40000 100000" by default; RUNS=1
#
# For N small files of one record each, and each send option, the median wall and processor
# time (user and system) and peak memory of the batch program on the flattening route and on
# the route through the work database with --merge-tables, then each time at the largest N over
# that at the smallest. Goal: the flattening route takes 100,000 files, one sheet and one sheet
# per file, in at most 12 times the time of 10,000. Needs a built build/ and /usr/bin/time.
# The temporary folder of every run is JOB_TMP (default /dev/shm), as in saving_vs_floor.sh.
set -uo pipefail

source "$(dirname "$0")/paths.sh"
source "$(dirname "$0")/one_record_files.sh"
COUNTS=${COUNTS:-10000 40000 100000}
RUNS=${RUNS:-1}
JOB_TMP=${JOB_TMP:-/dev/shm}

[[ -x $BATCH ]] || { echo "build the project first (cmake --build build)" >&2; exit 1; }
mkdir -p "$WORK/scale"
TMP=$(mktemp -d "$JOB_TMP/brindlequay-scale.XXXXXX") || exit 1
trap 'rm -rf "$TMP"' EXIT

# One timed run of the batch program on the folder $1 with the options after it: appends
# "wall_s cpu_s peak_kb" to the file $TMP/times.
measure() {
    local folder=$1
    shift
    rm -rf "${TMP:?}/work" && mkdir "$TMP/work"
    TEMP=$TMP/work TMPDIR=$TMP/work /usr/bin/time -f '%e %U %S %M' -o "$TMP/time" \
        "$BATCH" --quiet "$@" -o "$TMP/out.xlsx" "$folder" >/dev/null 2>"$TMP/errors"
    local status=$?
    [[ $status -le 1 ]] || echo "  status $status: $(head -n 3 "$TMP/errors")" >&2
    tail -n 1 "$TMP/time" | awk '{ print $1, $2 + $3, $4 }' >>"$TMP/times"
    rm -f "$TMP/out.xlsx"
}

median() { sort -n | sed -n "$(((RUNS + 1) / 2))p"; }

# Times, for each count and case, the median of RUNS runs: "count case wall cpu peak_MB".
declare -A WALL CPU
printf '%8s %-24s %9s %9s %8s\n' files case wall_s cpu_s peak_MB
for count in $COUNTS; do
    folder=$(one_record_files "$count")
    for send in one-sheet multiple-sheets; do
        for route in flatten merged; do
            options=(--"$send")
            [[ $route == merged ]] && options+=(--route database --merge-tables)
            rm -f "$TMP/times"
            for ((run = 0; run < RUNS; run++)); do
                measure "$folder" "${options[@]}"
            done
            wall=$(cut -d' ' -f1 "$TMP/times" | median)
            cpu=$(cut -d' ' -f2 "$TMP/times" | median)
            peak=$(cut -d' ' -f3 "$TMP/times" | median)
            WALL[$count $route $send]=$wall
            CPU[$count $route $send]=$cpu
            printf '%8s %-24s %9.2f %9.2f %8d\n' "$count" "$route $send" "$wall" "$cpu" \
                $((peak / 1024))
        done
    done
done

read -r -a counts <<<"$COUNTS"
small=${counts[0]} large=${counts[-1]}
echo "$large files over $small (goal for the flattening route: at most 12):"
for send in one-sheet multiple-sheets; do
    for route in flatten merged; do
        key="$route $send"
        awk -v k="$key" -v w0="${WALL[$small $key]}" -v w1="${WALL[$large $key]}" \
            -v c0="${CPU[$small $key]}" -v c1="${CPU[$large $key]}" \
            'BEGIN { printf "  %-24s wall %6.1fx  cpu %6.1fx\n", k, w1 / w0, c1 / c0 }'
    done
done
