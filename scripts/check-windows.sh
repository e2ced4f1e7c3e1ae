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
        mkdir -p "$CHECK/inputs/many_small"
        mv "$CHECK/inputs/corpus/many_small"/*.xml "$CHECK/inputs/many_small/"
        rm -rf "$CHECK/inputs/corpus"
    else
        python3 bench/make_business_files.py --invoices 400 --statements 150 \
            "$CHECK/inputs/many_small"
    fi
    # Each valid case in its own folder of the suite, with the files beside it that it names.
    mkdir -p "$CHECK/inputs/w3c-valid"
    awk -F'\t' '$1 == "valid" {print $2}' tests/data/xmlconf/cases.tsv | while read -r case; do
        local folder
        folder=$(dirname "$case")
        mkdir -p "$CHECK/inputs/w3c-valid/$folder"
        cp "tests/data/xmlconf/$case" "$CHECK/inputs/w3c-valid/$folder/"
        find "tests/data/xmlconf/$folder" -maxdepth 1 -type f ! -name '*.xml' \
            -exec cp -n {} "$CHECK/inputs/w3c-valid/$folder/" \;
    done
}

# Runs both builds on one input folder (a name in $CHECK/inputs) with the given options and
# compares the unpacked parts. The merged tables' #file column holds each file's path as its
# system spells it ("many_small\a.xml" on Windows): that one difference is spelled back first.
compare_one() {
    local name=$1 input=$2
    shift 2
    local out=$CHECK/compare/$name
    mkdir -p "$out"
    local status_linux=0 status_windows=0
    (cd "$CHECK/inputs" &&
        "$LINUX_BUILD/dist/brindlequay-batch" -q "$@" -o "$out/linux.xlsx" "$input") ||
        status_linux=$?
    local started=$SECONDS
    (cd "$CHECK/inputs" && wine_run "$ROOT/build-windows/dist/brindlequay-batch.exe" -q "$@" \
        -o "$out/windows.xlsx" "$input") || status_windows=$?
    echo "$name: $((SECONDS - started)) s under wine"
    if [[ $status_linux != "$status_windows" ]]; then
        echo "$name: exit status $status_linux on Linux, $status_windows on Windows"
        return 1
    fi
    [[ -f $out/linux.xlsx ]] || { echo "$name: no workbook on Linux"; return 1; }
    [[ -f $out/windows.xlsx ]] || { echo "$name: no workbook on Windows"; return 1; }
    (cd "$out" && unzip -qo linux.xlsx -d linux && unzip -qo windows.xlsx -d windows)
    rm -f "$out"/{linux,windows}/docProps/core.xml
    if [[ " $* " == *" --merge-tables "* ]]; then
        sed -i -E ":again; s#(<t>$input[^<\\\\]*)\\\\#\\1/#; t again" \
            "$out/windows/xl/sharedStrings.xml"
    fi
    if ! diff -r "$out/linux" "$out/windows" >"$out/diff.txt"; then
        echo "$name: the workbooks differ:"
        head -c 2000 "$out/diff.txt"
        return 1
    fi
    echo "$name: equal, part for part ($(find "$out/linux" -type f | wc -l) parts)"
}

compare_workbooks() {
    local result=0 input route
    for input in samples many_small w3c-valid; do
        for route in flatten database; do
            compare_one "$input-$route" "$input" --route "$route" --one-sheet || result=1
        done
        compare_one "$input-merged" "$input" --route database --merge-tables \
            --multiple-sheets || result=1
        # Thousands of files make as many sheets; the small inputs cover this send option.
        [[ $input == many_small ]] ||
            compare_one "$input-sheets" "$input" --route database --multiple-sheets || result=1
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
    wine_run "$setup" /S || return 1
    # Where the installer put things, as Windows names them and as this machine reaches them.
    local installed folder menu
    installed=$(wine_run cmd /c 'echo %LOCALAPPDATA%' | tr -d '\r')\\Programs\\Brindlequay
    folder=$(wine_run winepath -u "$installed" | tr -d '\r')
    menu=$(wine_run winepath -u "$(wine_run cmd /c 'echo %APPDATA%' | tr -d '\r')\\Microsoft\\Windows\\Start Menu\\Programs\\Brindlequay.lnk" | tr -d '\r')
    echo "installed into $installed ($folder)"
    [[ -f $folder/brindlequay.exe && -f $folder/brindlequay-batch.exe ]] ||
        { echo "the programs are not in $folder"; return 1; }
    [[ -f $menu ]] || { echo "no Start-menu entry at $menu"; return 1; }
    wine_run "$installed\\brindlequay-batch.exe" --version || return 1
    # The installed window program starts and stays up until it is ended (wine does not hand
    # QT_QPA_PLATFORM on; the argument says the same).
    timeout 20 "$ROOT/scripts/windows/wine-run.sh" "$installed\\brindlequay.exe" \
        -platform offscreen && { echo "the program ended by itself"; return 1; }
    wine_run --stop
    # The uninstaller copies itself away and works from there, so that it can remove itself.
    wine_run "$installed\\uninstall.exe" /S
    for _ in $(seq 1 60); do
        if [[ ! -e $folder ]]; then
            [[ ! -e $menu ]] || { echo "the Start-menu entry is left behind"; return 1; }
            echo "uninstalled; nothing left"
            return 0
        fi
        sleep 1
    done
    echo "the uninstaller left $folder behind:"
    find "$folder"
    return 1
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
