# Installs the Debian packages given that are missing, asking nothing; sourced by the scripts
# that need packages. Uses sudo only where it can work: without a password, or with someone
# there to type it.
install_debian_packages() {
    local missing=() package status
    for package in "$@"; do
        status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
        [[ "$status" == "install ok installed" ]] || missing+=("$package")
    done
    [[ ${#missing[@]} -eq 0 ]] && return 0

    local install=(apt-get install --no-install-recommends "${missing[@]}")
    local as_root=()
    if [[ $(id -u) -ne 0 ]]; then
        if command -v sudo >/dev/null && { sudo -n true 2>/dev/null || [[ -t 0 ]]; }; then
            as_root=(sudo)
        else
            echo "setup: these Debian packages are missing: ${missing[*]}" >&2
            echo "setup: installing them needs root; ask an administrator to run:" >&2
            echo "    ${install[*]}" >&2
            return 1
        fi
    fi
    echo "setup: installing ${missing[*]}"
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive "${install[@]}" -y -qq </dev/null
}
