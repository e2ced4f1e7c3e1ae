#!/usr/bin/env bash
# Builds the engine tests and the batch program with the thread sanitizer (build-tsan) and runs
# what starts threads: the tests of the zip writer, the CSV read-ahead and the conversion ahead
# and of the routes that use them, then the batch program over a few hundred small files, both
# send options and both routes, from their folder and from a zip archive of them, whose
# directory both threads of a run read through. Any race report fails it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

export QT_QPA_PLATFORM=offscreen
# Nothing here touches the real user's settings or data.
XDG_CONFIG_HOME=$(mktemp -d)
XDG_DATA_HOME=$(mktemp -d)
work=$(mktemp -d)
export XDG_CONFIG_HOME XDG_DATA_HOME
trap 'rm -rf "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$work"' EXIT
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1"

cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRINDLEQUAY_TSAN=ON >/dev/null
cmake --build build-tsan --target core_tests brindlequay-batch

echo "== threaded units and the routes that use them"
threaded=(XlsxSaving XlsxOracle ReadAhead CsvReadAhead ConversionAhead SpreadsheetEngine ImportRun
          ImportToExcel DatabaseRoute ValuesKept RunWhileEventsRun)
filter=$(printf '%s.*:' "${threaded[@]}")
build-tsan/tests/core_tests --gtest_filter="${filter%:}" --gtest_brief=1

echo "== batch program over many small files"
python3 - "$work/xml" <<'PY'
import pathlib, sys
root = pathlib.Path(sys.argv[1])
for n in range(300):
    folder = root / f"group{n % 7}"
    folder.mkdir(parents=True, exist_ok=True)
    lines = "".join(
        f'<line no="{k}"><item>Item {n}-{k}</item><qty>{k + 1}</qty><price>{n}.{k:02d}</price>'
        f"<note>a, \"quoted\" note\non two lines</note></line>" for k in range(n % 5 + 1))
    (folder / f"order{n:03d}.xml").write_text(
        f'<?xml version="1.0" encoding="UTF-8"?>\n<order id="{n}"><customer>Customer {n % 13}'
        f"</customer><lines>{lines}</lines></order>\n", encoding="utf-8")
import zipfile
with zipfile.ZipFile(root.parent / "orders.zip", "w", zipfile.ZIP_DEFLATED) as archive:
    for path in sorted(root.rglob("*.xml")):
        archive.write(path, path.relative_to(root).as_posix())
PY
batch=build-tsan/dist/brindlequay-batch
for options in "--one-sheet" "--multiple-sheets" "--one-sheet --route database" \
    "--multiple-sheets --route database --merge-tables"; do
    echo "-- $options"
    # shellcheck disable=SC2086 # the options are words on purpose
    "$batch" --quiet $options -o "$work/out.xlsx" "$work/xml"
    # shellcheck disable=SC2086 # the options are words on purpose
    "$batch" --quiet $options -o "$work/out.xlsx" "$work/orders.zip"
done
echo "tsan: no races"
