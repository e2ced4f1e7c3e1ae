#!/usr/bin/env bash
# Peak memory of one deeply nested file on every route, against the depth:
#
#   bench/depth_memory.sh              # 10,000 and 20,000 levels; DEPTHS="5000 40000" for others
#
# The file holds an element with one value and the next level at every level, 16 bytes a level
# (368 KB at 20,000). The route without the work database writes a line per value with its whole
# path, so its output is itself some depth² / 2 cells (values past a sheet's 16,384 columns are
# left out and counted); the merged route needs a column per level, so it refuses the file once
# its table passes the work database's 2,000 columns; the other routes make a row per level.
# Goal: every route's peak a small multiple of what its output needs, never growing with the
# square of the depth beyond it. Prints the time, the peak (/usr/bin/time %M), the status, the
# workbook written and the first line said. Needs a built build/ and /usr/bin/time.
set -uo pipefail

source "$(dirname "$0")/paths.sh"
DEPTHS=${DEPTHS:-10000 20000}

[[ -x $BATCH ]] || { echo "build the project first (cmake --build build)" >&2; exit 1; }
mkdir -p "$WORK/depth"
TMP=$(mktemp -d "/tmp/brindlequay-depth.XXXXXX") || exit 1
trap 'rm -rf "$TMP"' EXIT

deep_file() {
    local depth=$1 file=$WORK/depth/values-$1.xml
    [[ -f $file ]] || /usr/bin/python3 - "$file" "$depth" <<'PY'
import sys
path, depth = sys.argv[1], int(sys.argv[2])
with open(path, "w") as f:
    f.write("".join(f"<e><v>{i % 10}</v>\n" for i in range(depth)))
    f.write("</e>" * depth + "\n")
PY
    echo "$file"
}

# The cells a sheet holds of the flattened file: the line of the value at level i has i + 2
# fields, of which a sheet keeps 16,384; a cell takes 12 bytes.
sheet_megabytes() {
    /usr/bin/python3 -c "import sys; d = int(sys.argv[1]); \
print(sum(min(i + 2, 16384) for i in range(1, d + 1)) * 12 // (1 << 20))" "$1"
}

printf '%-8s %-38s %7s %9s %6s %10s  %s\n' depth route seconds "peak MB" status "xlsx KB" "first line said"
for depth in $DEPTHS; do
    file=$(deep_file "$depth")
    cells_mb=$(sheet_megabytes "$depth")
    echo "$depth levels: the flattened file's cells take $cells_mb MB on a sheet"
    while IFS='|' read -r name options; do
        # shellcheck disable=SC2086
        TEMP=$TMP /usr/bin/time -f "%e %M" -o "$TMP/time" "$BATCH" --quiet $options \
            -o "$TMP/out.xlsx" "$file" >/dev/null 2>"$TMP/errors"
        status=$?
        read -r seconds peak < <(tail -n 1 "$TMP/time")
        written=0
        [[ -f $TMP/out.xlsx ]] && written=$(($(stat -c %s "$TMP/out.xlsx") >> 10))
        said=$(head -n 1 "$TMP/errors" | sed 's/^brindlequay-batch: //' | cut -c 1-90)
        [[ $name == flatten* ]] &&
            said="peak $(echo "scale=2; $peak / 1024 / $cells_mb" | bc) times the cells; $said"
        printf '%-8s %-38s %7.1f %9d %6d %10d  %s\n' "$depth" "$name" "$seconds" \
            $((peak >> 10)) "$status" "$written" "$said"
        rm -f "$TMP/out.xlsx"
    done <<'ROUTES'
flatten, one sheet|--route flatten --one-sheet
flatten, a sheet per file|--route flatten --multiple-sheets
database|--route database
database, merged|--route database --merge-tables
database, merged, --no-fold|--route database --merge-tables --no-fold
ROUTES
done
