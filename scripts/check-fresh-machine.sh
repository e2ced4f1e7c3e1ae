#!/usr/bin/env bash
# Proves the README's two commands on a Debian 12 where nothing is installed: makes a minimal
# chroot, lays this checkout and ../shared in it as CI has them, runs the test command and CI's
# other steps (lint, thread sanitizer, fuzzing), then the start command under a virtual display
# until the main window shows. Prints what passed and what failed; exits 0 only when all did.
# Needs root (debootstrap, mount, chroot) and about a quarter of an hour; not part of CI. Run it whenever the list of packages or the build changes.
#
#   sudo bash scripts/check-fresh-machine.sh        MIRROR=... overrides the Debian mirror
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
if [[ $(id -u) -ne 0 ]]; then
    echo "check-fresh-machine: run as root: debootstrap, mount and chroot need it" >&2
    exit 2
fi
if [[ ! -d "$here/../shared" ]]; then
    echo "check-fresh-machine: $here/../shared is missing; CI lays it beside the checkout" >&2
    exit 2
fi
shared=$(cd "$here/../shared" && pwd)
mirror=${MIRROR:-http://deb.debian.org/debian}

name=brindlequay-fresh
source "$here/scripts/chroot-machine.sh"

# The machine, with this checkout and ../shared laid in it as CI has them.
make_machine_with_checkout() {
    make_machine
    mkdir -p "$root/work/main"
    git -C "$here" ls-files -z --cached --others --exclude-standard |
        tar -C "$here" --null -T - -cf - | tar -C "$root/work/main" -xf -
    cp -a "$shared" "$root/work/shared"
    chmod -R a-w "$root/work/shared"
}

# The window program is started with the README's command and must show its main window.
show_window() {
    in_chroot bash -c 'DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        xvfb xauth x11-utils x11-apps </dev/null'
    cat >"$root/work/show-window.sh" <<'HARNESS'
cd /work/main
bash scripts/start.sh &
program=$!
for _ in $(seq 600); do
    if xwininfo -root -tree | grep -q '"Brindlequay"'; then
        sleep 2
        xwininfo -root -tree | grep '"Brindlequay"'
        xwd -root -silent >/work/window.xwd
        kill "$program"
        exit 0
    fi
    kill -0 "$program" 2>/dev/null || { echo "the program ended without showing its window"; exit 1; }
    sleep 1
done
echo "no window titled Brindlequay within ten minutes"
kill "$program"
exit 1
HARNESS
    local shown=0
    in_chroot timeout 900 xvfb-run -a -s "-screen 0 1024x768x24" bash /work/show-window.sh || shown=$?
    keep_screenshot "$root/work/window.xwd" "$logs/window.png"
    return "$shown"
}

if step "minimal Debian 12 with the checkout and shared/" machine.log make_machine_with_checkout; then
    step "bash scripts/test.sh" test.log in_chroot bash -c 'cd /work/main && bash scripts/test.sh' ||
        true
    # CI's layout check, lint and thread-sanitizer runs, and its short fuzzing run, need
    # packages of their own; they must install here too.
    step "bash scripts/check-format.sh" format.log \
        in_chroot bash -c 'cd /work/main && bash scripts/check-format.sh' || true
    step "bash scripts/lint.sh" lint.log in_chroot bash -c 'cd /work/main && bash scripts/lint.sh' ||
        true
    step "bash scripts/tsan.sh" tsan.log in_chroot bash -c 'cd /work/main && bash scripts/tsan.sh' ||
        true
    step "bash scripts/start.sh under xvfb-run" start.log show_window || true
    step "bash bench/fuzz.sh 30" fuzz.log in_chroot bash -c 'cd /work/main && bash bench/fuzz.sh 30' ||
        true
fi

report_steps
if [[ -f "$logs/test.log" ]] && grep -q -E 'tests did not run|Skipped|Not Run' "$logs/test.log"; then
    echo "NOTE    the test log names skipped tests or tests that did not run"
fi
exit "$failed"
