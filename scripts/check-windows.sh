#!/usr/bin/env bash
# Checks the Windows build from this checkout, step by step, and prints pass or fail with the
# time of each step:
#   1. builds it (scripts/build-windows.sh --tests) and runs the whole suite under wine;
#   2. runs brindlequay-batch.exe on the samples, a generated corpus of many small files and
#      the W3C valid cases, both routes, and compares every workbook part for part with what
#      the Linux build writes for the same input (docProps/core.xml aside: it holds the time);
#   3. starts brindlequay.exe under wine and Xvfb, imports the samples through the window and
#      takes screenshots of the main window and the workbook window;
#   4. installs with setup.exe /S into the wine prefix, starts the installed program and
#      uninstalls it again.
# Needs root or sudo for the packages. Not part of CI: run it when the build or the packages
# change. Screenshots and logs go to build-windows/check/.
set -uo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
CHECK=$ROOT/build-windows/check
LINUX_BUILD=$ROOT/build-windows/linux
CACHE=${BRINDLEQUAY_WINDOWS_CACHE:-$HOME/.cache/brindlequay-windows}
export BRINDLEQUAY_WINEPREFIX=${BRINDLEQUAY_WINEPREFIX:-$CACHE/wine-check}
rm -rf "$CHECK" && mkdir -p "$CHECK"

failures=0
step() {
    local name=$1
    shift
    local started=$SECONDS
    echo "check-windows: $name ..."
    if "$@" >"$CHECK/$name.log" 2>&1; then
        echo "check-windows: PASS $name ($((SECONDS - started)) s)"
    else
        echo "check-windows: FAIL $name ($((SECONDS - started)) s); the end of its log:"
        tail -n 30 "$CHECK/$name.log" | sed 's/^/    /'
        failures=$((failures + 1))
    fi
}

wine_run() {
    "$ROOT/scripts/windows/wine-run.sh" "$@"
}

build_and_test() {
    bash scripts/build-windows.sh --tests
}

build_linux_batch() {
    bash scripts/setup.sh
    cmake -S . -B "$LINUX_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRINDLEQUAY_TESTS=OFF
    cmake --build "$LINUX_BUILD" --target brindlequay-batch
}

# The inputs of the comparison: the samples, a corpus of many small files, the valid W3C cases.
make_inputs() {
    mkdir -p "$CHECK/inputs"
    cp -r resources/Samples "$CHECK/inputs/samples"
    local generator=$ROOT/../shared/bench/gen_corpus.py
    if [[ -f $generator ]]; then
        python3 "$generator" --only many_small "$CHECK/inputs/corpus"
        mv "$CHECK/inputs/corpus/many_small" "$CHECK/inputs/many_small"
    else
        python3 bench/make_business_files.py "$CHECK/inputs/many_small" 400 150
    fi
    mkdir -p "$CHECK/inputs/w3c-valid"
    find tests/data/xmlconf -path '*/valid/*' -name '*.xml' ! -path '*/out/*' |
        sort | head -n 300 | while read -r file; do
            cp "$file" "$CHECK/inputs/w3c-valid/$(echo "${file#tests/data/xmlconf/}" | tr / _)"
        done
}

# Runs both builds on one input with the given options and compares the unpacked parts.
compare_one() {
    local name=$1 input=$2
    shift 2
    local out=$CHECK/compare/$name
    mkdir -p "$out"
    local status_linux=0 status_windows=0
    "$LINUX_BUILD/dist/brindlequay-batch" -q "$@" -o "$out/linux.xlsx" "$input" || status_linux=$?
    wine_run "$ROOT/build-windows/dist/brindlequay-batch.exe" -q "$@" -o "$out/windows.xlsx" \
        "$input" || status_windows=$?
    if [[ $status_linux != "$status_windows" ]]; then
        echo "$name: exit status $status_linux on Linux, $status_windows on Windows"
        return 1
    fi
    [[ -f $out/linux.xlsx ]] || { echo "$name: no workbook on Linux"; return 1; }
    [[ -f $out/windows.xlsx ]] || { echo "$name: no workbook on Windows"; return 1; }
    (cd "$out" && unzip -qo linux.xlsx -d linux && unzip -qo windows.xlsx -d windows)
    rm -f "$out"/{linux,windows}/docProps/core.xml
    if ! diff -r "$out/linux" "$out/windows" >"$out/diff.txt"; then
        echo "$name: the workbooks differ:"
        head -n 20 "$out/diff.txt"
        return 1
    fi
    echo "$name: equal, part for part ($(find "$out/linux" -type f | wc -l) parts)"
}

compare_workbooks() {
    local result=0 input route
    for input in samples many_small w3c-valid; do
        for route in flatten database; do
            compare_one "$input-$route-one" "$CHECK/inputs/$input" --route "$route" --one-sheet ||
                result=1
        done
        compare_one "$input-database-sheets" "$CHECK/inputs/$input" --route database \
            --multiple-sheets || result=1
        compare_one "$input-database-merged" "$CHECK/inputs/$input" --route database \
            --merge-tables --multiple-sheets || result=1
    done
    return $result
}

# Starts the window program under Xvfb with a window manager, adds the samples through the
# sample button and starts the import; the screenshots show the main window and the workbook.
window_run() {
    bash scripts/setup.sh
    source scripts/debian-packages.sh
    install_debian_packages xvfb openbox imagemagick xdotool
    bash scripts/windows/window-check.sh "$ROOT/build-windows/dist/brindlequay.exe" "$CHECK"
}

install_run() {
    local setup
    setup=$(ls "$ROOT"/build-windows/Brindlequay-*-win64-setup.exe)
    wine_run "$setup" /S
    local installed
    installed=$(wine_run cmd /c 'echo %LOCALAPPDATA%' | tr -d '\r')\\Programs\\Brindlequay
    echo "installed into $installed"
    wine_run cmd /c "if exist \"$installed\\brindlequay.exe\" (exit 0) else (exit 1)"
    wine_run cmd /c "if exist \"%APPDATA%\\Microsoft\\Windows\\Start Menu\\Programs\\Brindlequay.lnk\" (exit 0) else (exit 1)"
    wine_run "$installed\\brindlequay-batch.exe" --version
    # The installed window program starts and stays up until it is closed.
    QT_QPA_PLATFORM=offscreen timeout 20 "$ROOT/scripts/windows/wine-run.sh" \
        "$installed\\brindlequay.exe" && { echo "the program ended by itself"; return 1; }
    wine_run "$installed\\uninstall.exe" /S _?="$installed"
    if wine_run cmd /c "if exist \"$installed\" (exit 0) else (exit 1)"; then
        echo "the uninstaller left $installed behind:"
        wine_run cmd /c "dir /s /b \"$installed\""
        return 1
    fi
    echo "uninstalled; nothing left"
}

started=$SECONDS
step build-and-test build_and_test
step linux-batch build_linux_batch
step inputs make_inputs
step compare-workbooks compare_workbooks
step window window_run
step install install_run
echo "check-windows: $failures step(s) failed in $((SECONDS - started)) s"
[[ $failures -eq 0 ]]
