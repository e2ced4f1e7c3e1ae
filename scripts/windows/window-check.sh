#!/usr/bin/env bash
# Starts the Windows window program under wine on a virtual display with a window manager,
# loads the samples through its button, declines to open their folder, starts the import and
# takes screenshots: main-window.png with the list filled, workbook-window.png with the
# result. Usage: window-check.sh PROGRAM.exe OUTPUT-FOLDER
set -euo pipefail
program=$1 out=$2
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$out"

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=$display
cleanup() {
    kill "$app" "$wm" 2>/dev/null || true
    "$here/wine-run.sh" wineboot --end-session >/dev/null 2>&1 || true
    kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
sleep 1
openbox >/dev/null 2>&1 &
wm=$!

"$here/wine-run.sh" "$program" >"$out/window-program.log" 2>&1 &
app=$!

# Waits for a window whose title matches, and gives its id.
window_named() {
    local id
    for _ in $(seq 1 120); do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 || true)
        [[ -n $id ]] && { echo "$id"; return 0; }
        sleep 0.5
    done
    echo "window-check: no window titled '$1' appeared" >&2
    return 1
}

# Clicks the point of the main window's client area, in its own pixels.
click_in() {
    xdotool mousemove --window "$1" "$2" "$3" click 1
    sleep 1
}

main=$(window_named '^Brindlequay$')
sleep 2
# The buttons' places in the window's layout: "Load Sample/Example Files", then "Start".
click_in "$main" 400 264
question=$(window_named '^Brindlequay$' >/dev/null; xdotool getactivewindow)
xdotool key --window "$question" n
sleep 1
import -window root "$out/main-window.png"
click_in "$main" 268 446
workbook=$(window_named 'Book')
sleep 3
import -window root "$out/workbook-window.png"
echo "window-check: main window $main, workbook window $workbook"
