#!/usr/bin/env bash
# Starts the Windows window program under wine on a virtual display with a window manager,
# loads the samples through its button, declines to open their folder, starts the import and
# takes screenshots: main-window.png with the list filled, workbook-window.png with the
# result. Usage: window-check.sh PROGRAM.exe OUTPUT-FOLDER
set -euo pipefail
program=$1 out=$2
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$out"

# Wine's desktop keeps the display it started on; a new one starts with ours.
"$here/wine-run.sh" --stop
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=$display
cleanup() {
    "$here/wine-run.sh" --stop
    kill "$app" "$wm" "$xvfb" 2>/dev/null || true
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
    # Wine's first start in a fresh prefix takes a while.
    for _ in $(seq 1 240); do
        id=$(xdotool search --name "$1" 2>/dev/null | tail -n 1 || true)
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
# The broken sample is reported in a message of its own; the first is kept, each is answered.
sleep 5
import -window root "$out/report-message.png"
workbook=
for _ in $(seq 1 120); do
    workbook=$(xdotool search --name '^Book[0-9]* - Brindlequay$' 2>/dev/null | tail -n 1 || true)
    [[ -n $workbook ]] && break
    xdotool key --window "$(xdotool getactivewindow)" Return 2>/dev/null || true
    sleep 1
done
[[ -n $workbook ]] || { echo "window-check: no workbook window appeared" >&2; exit 1; }
xdotool windowactivate "$workbook" 2>/dev/null || xdotool windowraise "$workbook"
sleep 1
# The screenshot shows the sheet from its first cell, wherever the run left the view.
xdotool key --window "$workbook" ctrl+Home
sleep 2
import -window root "$out/workbook-window.png"
echo "window-check: main window $main, workbook window $workbook"
