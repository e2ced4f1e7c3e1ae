# A minimal Debian 12 in a chroot, for the checks that must start from nothing installed;
# sourced by check-fresh-machine.sh and check-package.sh. The caller sets `name` (the start of
# the folders' names) and `mirror`, then calls make_machine. The chroot goes away at the end;
# the logs stay in $logs for reading. Needs root (debootstrap, mount, chroot).

if ! command -v debootstrap >/dev/null; then
    DEBIAN_FRONTEND=noninteractive apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap </dev/null
fi

work=$(mktemp -d "/var/tmp/$name.XXXXXX")
root=$work/root
logs=$(mktemp -d "/var/tmp/$name-logs.XXXXXX")

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
        echo "$name: still mounted below $root, so it was left in place:" >&2
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
    local title=$1 log=$logs/$2
    shift 2
    local begun=$SECONDS outcome=passed
    echo "-- $title (log: $log)"
    "$@" >"$log" 2>&1 </dev/null &
    if ! wait $!; then
        outcome=FAILED
        failed=1
    fi
    results+=("$(printf '%-7s %-52s %5d s' "$outcome" "$title" $((SECONDS - begun)))")
    [[ $outcome == passed ]]
}

# Prints every step's outcome and the wall time.
report_steps() {
    echo
    printf '%s\n' "${results[@]}"
    printf 'wall time %d s; logs in %s\n' $((SECONDS - started)) "$logs"
}

# Runs a command inside the chroot as CI runs its command: root, no terminal, a bare environment.
in_chroot() {
    chroot "$root" /usr/bin/env -i HOME=/root CI=true \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin "$@"
}

# Debian 12 minbase with its package sources, and /proc, /sys and /dev of the host.
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
}

# Installs Debian packages inside the chroot, asking nothing.
install_in_chroot() {
    in_chroot bash -c 'apt-get update -qq &&
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$@" \
            </dev/null' packages "$@"
}

# Keeps the screen of a virtual display as PNG when the host can convert it.
keep_screenshot() {
    local xwd=$1 png=$2
    [[ -f $xwd ]] || return 0
    cp "$xwd" "${png%.png}.xwd"
    if command -v convert >/dev/null; then
        convert "xwd:$xwd" "$png" || true
    fi
}
