#!/usr/bin/env bash
# Proves the Debian package on a Debian 12 where nothing is installed: builds it here
# (scripts/package-deb.sh), makes a minimal chroot, installs it there with apt-get and its
# dependencies, runs brindlequay-batch from PATH as an ordinary user on the installed samples,
# finds both manual pages with man, validates the menu entry, starts the window program from
# /usr/bin with files and a folder on a virtual display (screenshots in the logs), checks that
# nothing was written beside the program, then purges the package and looks for anything of it
# left behind. Prints what passed and what failed; exits 0 only when all did.
# Needs root and about ten minutes; not part of CI. Run it whenever the package changes.
#
#   sudo bash scripts/check-package.sh        MIRROR=... overrides the Debian mirror
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
if [[ $(id -u) -ne 0 ]]; then
    echo "check-package: run as root: debootstrap, mount and chroot need it" >&2
    exit 2
fi
mirror=${MIRROR:-http://deb.debian.org/debian}
name=brindlequay-package
source "$here/scripts/chroot-machine.sh"

build_package() {
    bash "$here/scripts/package-deb.sh"
}

# Runs a command in the chroot as the ordinary user `tester`, in that user's home.
as_tester() {
    in_chroot runuser -u tester -- env HOME=/home/tester bash -c "cd ~ && $1"
}

install_package() {
    mkdir -p "$root/tmp/package"
    cp "$here"/build-package/brindlequay_*.deb "$root/tmp/package/"
    chmod -R a+rX "$root/tmp/package"
    in_chroot bash -c 'cd /tmp/package && apt-get update -qq &&
        DEBIAN_FRONTEND=noninteractive apt-get install -y ./brindlequay_*.deb </dev/null'
    in_chroot useradd --create-home --shell /bin/bash tester
    # Whatever runs from now on must leave the program's folder as the package laid it.
    in_chroot touch /tmp/package/installed
}

run_batch_as_user() {
    as_tester 'set -x
        [[ $(command -v brindlequay-batch) == /usr/bin/brindlequay-batch ]]
        status=0
        brindlequay-batch --multiple-sheets -o samples.xlsx /opt/brindlequay/Samples || status=$?
        # The broken sample is refused on purpose; every other file is in the workbook.
        [[ $status == 1 ]]
        [[ $(head -c 2 samples.xlsx) == PK ]]
        status=0
        brindlequay-batch --route database --merge-tables -o tables.xlsx \
            /opt/brindlequay/Samples || status=$?
        [[ $status == 1 ]]
        [[ $(head -c 2 tables.xlsx) == PK ]]
        brindlequay-batch --version'
}

find_manual_pages() {
    install_in_chroot man-db
    as_tester 'set -x
        for page in brindlequay-batch brindlequay; do
            man -w "$page"
            # groff names every fault of the page on standard error.
            warnings=$(MANWIDTH=80 man --warnings "$page" 2>&1 >/dev/null)
            [[ -z $warnings ]] || { echo "$warnings"; exit 1; }
        done
        MANWIDTH=80 MANPAGER=cat man brindlequay-batch | head -n 30'
}

validate_menu_entry() {
    install_in_chroot desktop-file-utils
    in_chroot desktop-file-validate /usr/share/applications/brindlequay.desktop
    in_chroot ls /usr/share/icons/hicolor/16x16/apps/brindlequay.png \
        /usr/share/icons/hicolor/256x256/apps/brindlequay.png \
        /usr/share/icons/hicolor/scalable/apps/brindlequay.svg
}

# Starts /usr/bin/brindlequay with the arguments given and keeps the screen once its window shows.
show_window_with() {
    local screenshot=$1
    shift
    cat >"$root/home/tester/show.sh" <<'HARNESS'
# A window manager, as a desktop has one: without it a message box is never painted.
openbox &
sleep 1
brindlequay "$@" &
program=$!
for _ in $(seq 120); do
    if xwininfo -root -tree | grep -q '"Brindlequay"'; then
        # A message box comes after the main window; the first start also builds the font cache.
        sleep 8
        xwininfo -root -tree | grep -E '"(Brindlequay|[^"]*)": \(' | head -n 5
        xwd -root -silent >"$HOME/screen.xwd"
        kill "$program"
        exit 0
    fi
    kill -0 "$program" 2>/dev/null || { echo "the program ended without showing its window"; exit 1; }
    sleep 1
done
echo "no window titled Brindlequay within two minutes"
kill "$program"
exit 1
HARNESS
    chmod a+r "$root/home/tester/show.sh"
    local quoted
    printf -v quoted '%q ' "$@"
    as_tester "xvfb-run -a -s '-screen 0 1024x768x24' bash show.sh $quoted"
    keep_screenshot "$root/home/tester/screen.xwd" "$logs/$screenshot"
}

start_window_with_files() {
    install_in_chroot xvfb xauth x11-utils x11-apps openbox
    as_tester 'mkdir -p more && cp /opt/brindlequay/Samples/catalog.xml more/a.xml &&
        cp /opt/brindlequay/Samples/orders.xml more/b.xml'
    show_window_with window-files.png /opt/brindlequay/Samples/customers.xml \
        /opt/brindlequay/Samples/prices-latin1.xml /home/tester/more
    # A path that does not exist is named in a message; the others are listed.
    show_window_with window-missing-path.png /opt/brindlequay/Samples/customers.xml \
        /home/tester/no-such-file.xml
}

nothing_written_beside_program() {
    local written
    written=$(in_chroot find /opt/brindlequay -newer /tmp/package/installed)
    [[ -z $written ]] || { echo "written beside the program:"; echo "$written"; return 1; }
    # Every file the package laid down is as it was.
    in_chroot dpkg --verify brindlequay
}

purge_leaves_nothing() {
    in_chroot dpkg -L brindlequay >"$logs/package-files.txt"
    in_chroot bash -c 'DEBIAN_FRONTEND=noninteractive apt-get purge -y brindlequay </dev/null'
    local left=0 path
    while IFS= read -r path; do
        [[ $path == /. ]] && continue
        if in_chroot test -e "$path" -o -L "$path"; then
            # A folder that other packages share (/usr/bin) stays theirs.
            if ! in_chroot test -d "$path" || ! in_chroot dpkg -S "$path" >/dev/null 2>&1; then
                echo "left behind: $path"
                left=1
            fi
        fi
    done <"$logs/package-files.txt"
    # Nor anything of its name that dpkg did not know of. The user's own home and the
    # temporary folder hold the user's files, which a purge never touches.
    local stray
    stray=$(in_chroot find / -xdev \( -path /home -o -path /tmp -o -path /proc -o -path /sys \
        -o -path /dev \) -prune -o -iname '*brindlequay*' -print)
    [[ -z $stray ]] || { echo "left behind:"; echo "$stray"; left=1; }
    return "$left"
}

if step "scripts/package-deb.sh" package.log build_package &&
    step "minimal Debian 12" machine.log make_machine &&
    step "apt-get install ./brindlequay_*.deb" install.log install_package; then
    step "brindlequay-batch from PATH as an ordinary user" batch.log run_batch_as_user || true
    step "man brindlequay-batch, man brindlequay" man.log find_manual_pages || true
    step "desktop-file-validate and the icons" desktop.log validate_menu_entry || true
    step "/usr/bin/brindlequay FILE... under xvfb-run" window.log start_window_with_files || true
    step "nothing written beside the program" untouched.log nothing_written_beside_program || true
    step "apt-get purge brindlequay leaves nothing" purge.log purge_leaves_nothing || true
fi
report_steps
exit "$failed"
