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

if ! command -v debootstrap >/dev/null; then
    DEBIAN_FRONTEND=noninteractive apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap </dev/null
fi

# The chroot goes away at the end; the logs and the screenshot stay for reading.
work=$(mktemp -d /var/tmp/brindlequay-fresh.XXXXXX)
root=$work/root
logs=$(mktemp -d /var/tmp/brindlequay-fresh-logs.XXXXXX)

mounts_below_root() {
    awk -v root="$root" '$5 == root || index($5, root "/") == 1 { print $5 }' /proc/self/mountinfo
}

cleanup() {
    # Anything still running inside (the virtual display, a hung build) holds the mounts busy.
    local process
    for process in /proc/[0-9]*; do
        if [[ $(readlink "$process/root" 2>/dev/null) == "$root" ]]; then
            kill -KILL "${process#/proc/}" 2>/dev/null || true
        fi
    done
    local point
    for point in dev sys proc; do
        if mountpoint -q "$root/$point"; then
            umount -R "$root/$point" || umount -R -l "$root/$point" || true
        fi
    done
    # Removing a folder with /dev or /proc still bound below it would reach into the host's.
    if [[ -n $(mounts_below_root) ]]; then
        echo "check-fresh-machine: still mounted below $root, so it was left in place:" >&2
        mounts_below_root >&2
        return
    fi
    rm -rf "$work"
}
trap cleanup EXIT

results=()
failed=0
started=$SECONDS

# Runs one step, its output going to a log of its own, and notes its outcome and wall time. The
# step runs as a job of its own so that a failing command inside it stops it (errexit does not
# hold for a function called as a condition).
step() {
    local name=$1 log=$logs/$2
    shift 2
    local begun=$SECONDS outcome=passed
    echo "-- $name (log: $log)"
    "$@" >"$log" 2>&1 </dev/null &
    if ! wait $!; then
        outcome=FAILED
        failed=1
    fi
    results+=("$(printf '%-7s %-52s %5d s' "$outcome" "$name" $((SECONDS - begun)))")
    [[ $outcome == passed ]]
}

# Runs a command inside the chroot as CI runs its command: root, no terminal, a bare environment.
in_chroot() {
    chroot "$root" /usr/bin/env -i HOME=/root CI=true \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin "$@"
}

make_machine() {
    debootstrap --variant=minbase bookworm "$root" "$mirror"
    cat >"$root/etc/apt/sources.list" <<SOURCES
deb $mirror bookworm main
deb $mirror bookworm-updates main
deb ${mirror%/debian}/debian-security bookworm-security main
SOURCES
    cp /etc/resolv.conf "$root/etc/resolv.conf"
    local point
    for point in proc sys dev; do
        mount --rbind "/$point" "$root/$point"
        # Unmounting the copy later must not take the host's own submounts with it.
        mount --make-rslave "$root/$point"
    done
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
    if [[ -f "$root/work/window.xwd" ]]; then
        cp "$root/work/window.xwd" "$logs/window.xwd"
        command -v convert >/dev/null && convert "xwd:$logs/window.xwd" "$logs/window.png" || true
    fi
    return "$shown"
}

if step "minimal Debian 12 with the checkout and shared/" machine.log make_machine; then
    step "bash scripts/test.sh" test.log in_chroot bash -c 'cd /work/main && bash scripts/test.sh' ||
        true
    # CI's lint and thread-sanitizer runs, and its short fuzzing run, need packages of their
    # own; they must install here too.
    step "bash scripts/lint.sh" lint.log in_chroot bash -c 'cd /work/main && bash scripts/lint.sh' ||
        true
    step "bash scripts/tsan.sh" tsan.log in_chroot bash -c 'cd /work/main && bash scripts/tsan.sh' ||
        true
    step "bash scripts/start.sh under xvfb-run" start.log show_window || true
    step "bash bench/fuzz.sh 30" fuzz.log in_chroot bash -c 'cd /work/main && bash bench/fuzz.sh 30' ||
        true
fi

echo
printf '%s\n' "${results[@]}"
if [[ -f "$logs/test.log" ]] && grep -q -E 'tests did not run|Skipped|Not Run' "$logs/test.log"; then
    echo "NOTE    the test log names skipped tests or tests that did not run"
fi
printf 'wall time %d s; logs in %s\n' $((SECONDS - started)) "$logs"
exit "$failed"
