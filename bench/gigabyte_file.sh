#!/usr/bin/env bash
# One XML file of a gigabyte (one_big's records sixteen times in one document) against one_big
# itself, in one run on this machine, for both send options and both routes:
#
#   bench/gigabyte_file.sh              # every option; ROUTES="flatten" or SENDS="one" for fewer
#
# Prints for each the batch program's wall time over sixteen times one_big's (goal: at most
# 1.2), its peak memory over the file's size (goal: at most 2), the sheets of the saved workbook
# and the rows read back from it against what one_big's rows predict: on the flattening route
# sixteen times one_big's, on the database route sixteen times one_big's records plus a row of
# names on every sheet. The flattening route's CSV lines are printed beside them. Needs a built
# build/, the workshop beside the project (../shared/bench), unzip and /usr/bin/time.
set -uo pipefail

source "$(dirname "$0")/paths.sh"
JOB_TMP=${JOB_TMP:-/dev/shm}
ROUTES=${ROUTES:-flatten database}
SENDS=${SENDS:-one multiple}

[[ -x $BATCH ]] || { echo "build the project first (cmake --build build)" >&2; exit 1; }
mkdir -p "$WORK/corpus" "$WORK/out" "$WORK/gigabyte"
[[ -f $WORK/corpus/one_big/one_big.xml ]] || /usr/bin/python3 "$SHOP/gen_corpus.py" "$WORK/corpus" --only one_big >&2
ONE=$WORK/corpus/one_big/one_big.xml
BIG=$WORK/gigabyte/gigabyte.xml
if [[ ! -f $BIG || $ONE -nt $BIG ]]; then
    # The document element's start tag is on line 3 and its end tag on the last line; the
    # records between them are repeated.
    total=$(wc -l <"$ONE")
    {
        head -n 3 "$ONE"
        for _ in $(seq 16); do sed -n "4,$((total - 1))p" "$ONE"; done
        tail -n 1 "$ONE"
    } >"$BIG.partial" && mv "$BIG.partial" "$BIG"
fi
BIG_BYTES=$(stat -c %s "$BIG")
echo "file: $BIG ($BIG_BYTES bytes); one_big: $(stat -c %s "$ONE") bytes"

TMP=$(mktemp -d "$JOB_TMP/brindlequay-gigabyte.XXXXXX") || exit 1
trap 'rm -rf "$TMP"' EXIT

# Runs the batch program; sets SECONDS_TAKEN and PEAK_KB.
run_batch() {
    local out=$1
    shift
    TEMP=$TMP /usr/bin/time -f "%e %M" -o "$TMP/time" "$BATCH" --quiet "$@" -o "$out" >/dev/null 2>"$TMP/errors"
    local status=$?
    read -r SECONDS_TAKEN PEAK_KB <"$TMP/time"
    [[ $status -eq 0 ]] || { echo "status $status: $(head -3 "$TMP/errors")" >&2; }
}

# Sheets of a saved workbook, and rows (with cells) in all of them.
sheets_of() { unzip -p "$1" xl/workbook.xml | grep -o '<sheet ' | wc -l; }
rows_of() {
    # Python reads the parts in pieces: grep -o over a gigabyte of sheet text takes minutes.
    /usr/bin/python3 - "$1" <<'PY'
import sys, zipfile
total = 0
with zipfile.ZipFile(sys.argv[1]) as book:
    for name in book.namelist():
        if name.startswith("xl/worksheets/sheet"):
            tail = b""
            with book.open(name) as part:
                # Four bytes carried over find a tag split between two pieces, never one twice.
                while piece := part.read(1 << 24):
                    text = tail + piece
                    total += text.count(b"<row ")
                    tail = text[-4:]
print(total)
PY
}

TABLES=0
if [[ $ROUTES == *database* ]]; then
    # One sheet per table, and the new workbook's first sheet left empty.
    run_batch "$WORK/out/tables.xlsx" --multiple-sheets --route database "$ONE"
    TABLES=$(($(sheets_of "$WORK/out/tables.xlsx") - 1))
fi

printf '%-10s %-9s %8s %8s %7s %7s %7s %11s %11s %11s\n' route send big_s one_s time_x peak_x sheets rows_back rows_expect csv_lines
for route in $ROUTES; do
    for send in $SENDS; do
        option=--one-sheet
        [[ $send == multiple ]] && option=--multiple-sheets
        run_batch "$WORK/out/one_big-$route-$send.xlsx" $option --route "$route" "$ONE"
        one_seconds=$SECONDS_TAKEN
        one_rows=$(rows_of "$WORK/out/one_big-$route-$send.xlsx")
        one_sheets=$(sheets_of "$WORK/out/one_big-$route-$send.xlsx")
        csv_lines=-
        if [[ $route == flatten ]]; then
            run_batch "$WORK/out/gigabyte-$route-$send.xlsx" $option --route "$route" --keep-work "$BIG"
            csv_lines=$(cat "$TMP"/brindlequay-*/gigabyte.csv | wc -l)
            rm -rf "$TMP"/brindlequay-*
        else
            run_batch "$WORK/out/gigabyte-$route-$send.xlsx" $option --route "$route" "$BIG"
        fi
        big_seconds=$SECONDS_TAKEN
        big_peak=$PEAK_KB
        sheets=$(sheets_of "$WORK/out/gigabyte-$route-$send.xlsx")
        rows=$(rows_of "$WORK/out/gigabyte-$route-$send.xlsx")
        if [[ $route == flatten ]]; then
            expected=$((16 * one_rows))
        else
            # A row of names per table, written once for one_big; the gigabyte's records sixteen
            # times, but for the one row of the document element (it holds a value of its own,
            # and the gigabyte has one document element too), and a row of names more on every
            # sheet that carries a full one on.
            expected=$((16 * (one_rows - TABLES - 1) + TABLES + 1 + sheets - one_sheets))
        fi
        printf '%-10s %-9s %8.1f %8.2f %7.2f %7.2f %7s %11s %11s %11s\n' "$route" "$send" "$big_seconds" "$one_seconds" \
            "$(echo "$big_seconds / (16 * $one_seconds)" | bc -l)" \
            "$(echo "$big_peak * 1024 / $BIG_BYTES" | bc -l)" "$sheets" "$rows" "$expected" "$csv_lines"
        rm -f "$WORK/out/gigabyte-$route-$send.xlsx"
    done
done
