#!/usr/bin/env bash
# Sheets whose files share one name, at scale, one sheet per file on the flattening route:
#
#   bench/sheet_names_scale.sh          # COUNTS="10000 100000" by default
#
# For N files of one record each, the batch program's wall and processor time with distinct
# names (000001.xml, ...), with one name in every folder in other letters after the first
# (Data.xml, then data.xml: each sheet but the first needs a free name of the workbook's own),
# and with one name that holds a character no sheet name may have (a:b.xml), then each time at
# the largest N over that at the smallest. Goal: every case grows with N, not faster (at most
# 12 times for 10 times the files), and the shared names cost about what distinct ones do.
# Needs a built build/ and /usr/bin/time; Linux only (':' in a file name). The temporary folder
# of every run is JOB_TMP (default /dev/shm), as in flattening_scale.sh.
set -uo pipefail

source "$(dirname "$0")/paths.sh"
source "$(dirname "$0")/one_record_files.sh"
COUNTS=${COUNTS:-10000 100000}
JOB_TMP=${JOB_TMP:-/dev/shm}

[[ -x $BATCH ]] || { echo "build the project first (cmake --build build)" >&2; exit 1; }
mkdir -p "$WORK/scale"
TMP=$(mktemp -d "$JOB_TMP/brindlequay-names.XXXXXX") || exit 1
trap 'rm -rf "$TMP"' EXIT

# N folders of one file each, all of the name $2 but the first, which is $3; made once in
# $WORK/scale and kept. Prints the folder.
one_name_files() {
    local count=$1 name=$2 first=$3 folder=$WORK/scale/names-$1-$2
    if [[ ! -f $folder/done ]]; then
        rm -rf "$folder" && mkdir -p "$folder"
        /usr/bin/python3 - "$folder" "$count" "$name" "$first" <<'PY'
import os, sys
folder, count, name, first = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4]
for i in range(count):
    os.mkdir(os.path.join(folder, f"{i:06d}"))
    with open(os.path.join(folder, f"{i:06d}", first if i == 0 else name), "w") as f:
        f.write(f"<doc><record><id>{i}</id><name>item {i}</name></record></doc>\n")
PY
        touch "$folder/done"
    fi
    echo "$folder"
}

# One timed run of the batch program on the folder $1; sets WALL and CPU (s) and SHEETS, the
# number of sheets named after a file.
measure() {
    rm -rf "${TMP:?}/work" && mkdir "$TMP/work"
    TEMP=$TMP/work TMPDIR=$TMP/work /usr/bin/time -f '%e %U %S' -o "$TMP/time" \
        "$BATCH" --quiet --multiple-sheets -o "$TMP/out.xlsx" "$1" >/dev/null 2>"$TMP/errors"
    local status=$?
    [[ $status -eq 0 ]] || echo "  status $status: $(head -n 3 "$TMP/errors")" >&2
    read -r WALL CPU < <(tail -n 1 "$TMP/time" | awk '{ print $1, $2 + $3 }')
    SHEETS=$(unzip -p "$TMP/out.xlsx" xl/workbook.xml | grep -o '<sheet name="[^"]*\.csv' | wc -l)
    rm -f "$TMP/out.xlsx"
}

declare -A TIME
printf '%8s %-10s %9s %9s %8s\n' files names wall_s cpu_s sheets
for count in $COUNTS; do
    for names in distinct case colon; do
        case $names in
        distinct) folder=$(one_record_files "$count") ;;
        case) folder=$(one_name_files "$count" data.xml Data.xml) ;;
        colon) folder=$(one_name_files "$count" a:b.xml a:b.xml) ;;
        esac
        measure "$folder"
        TIME[$count $names]=$WALL
        printf '%8s %-10s %9.2f %9.2f %8d\n' "$count" "$names" "$WALL" "$CPU" "$SHEETS"
    done
done

read -r -a counts <<<"$COUNTS"
small=${counts[0]} large=${counts[-1]}
echo "$large files over $small (goal: at most 12):"
for names in distinct case colon; do
    awk -v k="$names" -v t0="${TIME[$small $names]}" -v t1="${TIME[$large $names]}" \
        'BEGIN { printf "  %-10s wall %6.1fx\n", k, t1 / t0 }'
done
