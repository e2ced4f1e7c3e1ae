#!/usr/bin/env bash
# XML files read in place from inside zip archives, in one sitting on this machine:
#
#   bench/archive_cost.sh             # RUNS=5 by default
#
# 1. many_small zipped into one archive against the same files in a folder: the workbooks agree
#    part for part on each route and send option (the paths in #file aside, which name the
#    archive's members), and paired runs, alternating, give the median time of each and their
#    ratio (goal: at most 1.2x).
# 2. An archive holding one_big's file, two small good members, a broken member, an encrypted
#    one, an archive, a bomb (1.1 GB of zeros, deflated) and one whose CRC does not match: every
#    good member is imported, each bad one is a line naming archive and member, nothing appears
#    beside the archive, and the peak memory stays under 3x the largest member.
# 3. 70,000 small members, so a zip64 directory: every member imported, and the time it took.
#
# Needs a built build/, Info-ZIP's zip (for the encrypted member) and the workshop beside the
# project (../shared/bench) to make the corpora.
set -uo pipefail

source "$(dirname "$0")/paths.sh"
RUNS=${RUNS:-5}
JOB_TMP=${JOB_TMP:-/dev/shm}
PYTHON=${PYTHON:-/usr/bin/python3}

[[ -x $BATCH ]] || { echo "build the project first (cmake --build build)" >&2; exit 1; }
command -v zip >/dev/null || { echo "needs zip (apt-get install zip)" >&2; exit 1; }
TMP=$(mktemp -d "$JOB_TMP/brindlequay-archive.XXXXXX") || exit 1
trap 'rm -rf "$TMP"' EXIT
mkdir -p "$WORK/corpus"
[[ -f $WORK/corpus/one_big/list.txt ]] || "$PYTHON" "$SHOP/gen_corpus.py" "$WORK/corpus" >&2
failed=0
fail() { echo "FAIL: $*"; failed=1; }

# Zips the files of a folder, in the order a folder walk lists them, as members of their
# relative paths: zip_folder FOLDER ARCHIVE.
zip_folder() {
    "$PYTHON" - "$1" "$2" <<'PY'
import pathlib, sys, zipfile
root = pathlib.Path(sys.argv[1])
with zipfile.ZipFile(sys.argv[2], "w", zipfile.ZIP_DEFLATED) as archive:
    for path in sorted(root.rglob("*.xml"), key=lambda p: p.name.casefold()):
        archive.write(path, path.relative_to(root).as_posix())
PY
}

# One run of the batch program: run_batch OUTPUT ARGUMENT...; its standard error goes to
# $TMP/err, and its status is returned.
run_batch() {
    local output=$1
    shift
    rm -rf "${TMP:?}"/work
    mkdir "$TMP/work"
    TEMP=$TMP/work TMPDIR=$TMP/work "$BATCH" --quiet "$@" -o "$output" 2>"$TMP/err"
}

# The milliseconds of one run: measure ARGUMENT...
measure() {
    local t0 t1
    t0=$(date +%s%N)
    run_batch "$TMP/timed.xlsx" "$@" || [[ $? == 1 ]] || echo "  (failed: $(head -c 300 "$TMP/err"))" >&2
    t1=$(date +%s%N)
    echo $(((t1 - t0) / 1000000))
}

median() { sort -n | sed -n "$(((RUNS + 1) / 2))p"; }

# Whether two workbooks agree part for part, the paths of the first's files written as the
# second's members and the moment of making left out: same_parts A.xlsx B.xlsx FROM TO.
same_parts() {
    rm -rf "$TMP/a" "$TMP/b"
    unzip -q "$1" -d "$TMP/a" && unzip -q "$2" -d "$TMP/b" || return 1
    sed -i "s|$3|$4|g" "$TMP/a/xl/sharedStrings.xml"
    sed -i 's|<dcterms:[a-z]*[^>]*>[^<]*</dcterms:[a-z]*>||g' "$TMP"/{a,b}/docProps/core.xml
    diff -r -q "$TMP/a" "$TMP/b" >/dev/null
}

echo "== 1. many_small: its folder against one archive of it"
# The folder's path is as long as the archive's with "!" after it, so that the column of #file
# is as wide in both workbooks.
folder=$TMP/many_small.zip__
archive=$TMP/many_small.zip
mkdir -p "$folder"
cp "$WORK"/corpus/many_small/*.xml "$folder/"
zip_folder "$folder" "$archive"
printf '  %s files, %s bytes; the archive %s bytes\n' "$(find "$folder" -name '*.xml' | wc -l)" \
    "$(du -cb "$folder"/*.xml | tail -1 | cut -f1)" "$(stat -c %s "$archive")"
for options in "--one-sheet" "--multiple-sheets" "--one-sheet --route database" \
    "--multiple-sheets --route database" "--one-sheet --route database --merge-tables"; do
    # shellcheck disable=SC2086 # the options are words on purpose
    run_batch "$TMP/folder.xlsx" $options "$folder" || fail "$options on the folder: $(head -c 300 "$TMP/err")"
    # shellcheck disable=SC2086
    run_batch "$TMP/archive.xlsx" $options "$archive" || fail "$options on the archive: $(head -c 300 "$TMP/err")"
    if same_parts "$TMP/folder.xlsx" "$TMP/archive.xlsx" "$folder/" "$archive!/"; then
        echo "  same parts: $options"
    else
        fail "the workbooks differ with $options"
    fi
done
printf '  %-34s %9s %10s %7s\n' options folder_ms archive_ms ratio
for options in "--one-sheet" "--one-sheet --route database --merge-tables"; do
    : >"$TMP/of_folder" && : >"$TMP/of_archive"
    # shellcheck disable=SC2086
    measure $options "$folder" >/dev/null # warms the page cache
    for ((run = 0; run < RUNS; ++run)); do
        # shellcheck disable=SC2086
        measure $options "$folder" >>"$TMP/of_folder"
        # shellcheck disable=SC2086
        measure $options "$archive" >>"$TMP/of_archive"
    done
    plain=$(median <"$TMP/of_folder")
    zipped=$(median <"$TMP/of_archive")
    ratio=$(awk -v a="$zipped" -v b="$plain" 'BEGIN { printf "%.3f", a / b }')
    printf '  %-34s %9s %10s %6sx\n' "$options" "$plain" "$zipped" "$ratio"
    awk -v r="$ratio" 'BEGIN { exit !(r <= 1.2) }' || fail "the archive took ${ratio}x the folder's time"
done
rm -rf "$folder" "$archive"

echo "== 2. one archive of good and bad members"
bad=$TMP/beside/month.zip
mkdir -p "$TMP/beside" "$TMP/secret"
"$PYTHON" - "$bad" "$WORK/corpus/one_big/one_big.xml" <<'PY'
import io, struct, sys, zipfile
path, big = sys.argv[1], sys.argv[2]
inner = io.BytesIO()
with zipfile.ZipFile(inner, "w") as nested:
    nested.writestr("i.xml", "<i/>")
with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as archive:
    archive.write(big, "big/one_big.xml")
    archive.writestr("good/a.xml", "<r><v>a</v></r>")
    archive.writestr("broken.xml", "<r><v>x & y</v></r>")
    archive.writestr("nested/inner.zip", inner.getvalue())
    with archive.open("bomb.xml", "w") as bomb:
        zeros = bytes(1 << 20)
        for _ in range(1100):
            bomb.write(zeros)
    archive.writestr("badcrc.xml", "<r><v>c</v></r>")
    archive.writestr("good/z.xml", "<r><v>z</v></r>")
# The CRC of badcrc.xml changed in its own header and in the directory alike.
data = bytearray(open(path, "rb").read())
name = b"badcrc.xml"
for signature, crc_at, name_at in ((b"PK\x03\x04", 14, 30), (b"PK\x01\x02", 16, 46)):
    at = data.find(signature)
    while at >= 0:
        if data[at + name_at:at + name_at + len(name)] == name:
            crc = struct.unpack_from("<I", data, at + crc_at)[0]
            struct.pack_into("<I", data, at + crc_at, crc ^ 0xFFFF)
        at = data.find(signature, at + 1)
open(path, "wb").write(data)
PY
echo '<r><v>secret</v></r>' >"$TMP/secret/secret.xml"
(cd "$TMP/secret" && zip -q -P x "$bad" secret.xml)
rm -rf "$TMP/secret"
largest=$(stat -c %s "$WORK/corpus/one_big/one_big.xml")
# The peak memory of a run: peak_of ARGUMENT...; its status is returned.
peak_of() {
    /usr/bin/time -v -o "$TMP/time" "$BATCH" "$@" -o "$TMP/month.xlsx" 2>"$TMP/err"
    local status=$?
    peak=$(($(awk '/Maximum resident/ { print $NF }' "$TMP/time") * 1024))
    return $status
}
ratio_of() { awk -v p="$1" -v l="$largest" 'BEGIN { printf "%.2f", p / l }'; }
for route in flatten database; do
    before=$(ls -lA --time-style=full-iso "$TMP/beside")
    peak_of --route "$route" --report "$TMP/run.json" "$bad"
    status=$?
    after=$(ls -lA --time-style=full-iso "$TMP/beside")
    [[ $route == flatten ]] && grep '^brindlequay-batch: ' "$TMP/err" | sed 's/^/  /'
    lines=$(grep -c "^brindlequay-batch: $bad!/" "$TMP/err")
    imported=$("$PYTHON" -c 'import json, sys; print(sum(f["outcome"] == "imported" for f in json.load(open(sys.argv[1]))["files"]))' "$TMP/run.json")
    zipped=$peak
    peak_of --route "$route" "$WORK/corpus/one_big/one_big.xml"
    printf '  %-8s status %s; %s members imported; %s lines naming a member; peak %s MB, %sx the largest member (%s MB; %sx for that file alone)\n' \
        "$route" "$status" "$imported" "$lines" "$((zipped >> 20))" "$(ratio_of "$zipped")" \
        "$((largest >> 20))" "$(ratio_of "$peak")"
    [[ $status == 1 ]] || fail "status $status, not 1"
    [[ $imported == 3 ]] || fail "$imported members imported, not 3"
    [[ $lines == 5 ]] || fail "$lines lines name a member, not 5"
    [[ $before == "$after" ]] || fail "the archive's folder changed"
    ((zipped < 3 * largest)) || fail "the peak memory passed 3x the largest member"
done

echo "== 3. 70,000 small members"
many=$TMP/many.zip
"$PYTHON" - "$many" <<'PY'
import sys, zipfile
with zipfile.ZipFile(sys.argv[1], "w", zipfile.ZIP_DEFLATED) as archive:
    for n in range(70000):
        archive.writestr(f"part{n // 1000:02d}/m{n:05d}.xml", f"<r><n>{n}</n><v>value {n}</v></r>")
PY
"$PYTHON" - "$many" <<'PY' || fail "the archive has no zip64 directory"
import sys
tail = open(sys.argv[1], "rb").read()[-200:]
sys.exit(0 if b"PK\x06\x06" in tail and b"PK\x06\x07" in tail else 1)
PY
t0=$(date +%s%N)
run_batch "$TMP/many.xlsx" --report "$TMP/many.json" "$many"
status=$?
t1=$(date +%s%N)
imported=$("$PYTHON" -c 'import json, sys; print(sum(f["outcome"] == "imported" for f in json.load(open(sys.argv[1]))["files"]))' "$TMP/many.json")
printf '  status %s; %s of 70000 members imported in %s ms\n' "$status" "$imported" "$(((t1 - t0) / 1000000))"
[[ $status == 0 && $imported == 70000 ]] || fail "not every member was imported"

((failed == 0)) && echo "archive_cost: every check held"
exit $failed
