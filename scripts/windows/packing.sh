# Lays out the Windows programs with what they load, and packs them. Sourced by
# build-windows.sh after dependencies.sh.

# The folders where the DLLs of the build are found: Qt's, the other libraries' and the
# compiler's runtime, separated by ':'.
windows_dll_folders() {
    local folders=() prefix
    for prefix in "$@"; do
        [[ -d $prefix/bin ]] && folders+=("$prefix/bin")
    done
    folders+=("/usr/$MINGW/lib" "$(dirname "$($MINGW_CXX -print-libgcc-file-name)")")
    local IFS=':'
    echo "${folders[*]}"
}

# Windows' own DLLs, which wine carries; one in neither list is missing from the layout.
is_system_dll() {
    local name=${1,,}
    [[ -f /usr/lib/x86_64-linux-gnu/wine/x86_64-windows/$name ]] || [[ $name == api-ms-win-* ]]
}

# Copies into `dist` every DLL that its programs and plugins load, found from their import
# tables, and the DLLs those load in turn.
copy_loaded_dlls() {
    local dist=$1 folders=$2
    local pending=("$dist"/*.exe "$dist"/*/*.dll) seen=" " name folder found
    while [[ ${#pending[@]} -gt 0 ]]; do
        local module=${pending[0]}
        pending=("${pending[@]:1}")
        while read -r name; do
            [[ $seen == *" ${name,,} "* ]] && continue
            seen+="${name,,} "
            found=
            IFS=':' read -ra search <<<"$folders"
            for folder in "${search[@]}"; do
                [[ -f $folder/$name ]] && found=$folder/$name && break
            done
            if [[ -n $found ]]; then
                cp "$found" "$dist/"
                pending+=("$dist/$name")
            elif ! is_system_dll "$name"; then
                echo "build-windows: $module loads $name, which is nowhere to be found" >&2
                return 1
            fi
        done < <($MINGW-objdump -p "$module" | sed -n 's/^\s*DLL Name: //p')
    done
}

lay_out_dist() {
    local dist=$1
    shift
    local qt
    qt=$(dependency_prefix qt6-base)
    # The platform plugin draws the windows, the style gives them the system's look, and the
    # icon reader loads drag.ico.
    rm -rf "$dist/platforms" "$dist/styles" "$dist/imageformats" "$dist"/*.dll
    mkdir -p "$dist/platforms" "$dist/styles" "$dist/imageformats"
    cp "$qt/plugins/platforms/qwindows.dll" "$dist/platforms/"
    cp "$qt/plugins/styles/qwindowsvistastyle.dll" "$dist/styles/"
    cp "$qt/plugins/imageformats/qico.dll" "$dist/imageformats/"
    copy_loaded_dlls "$dist" "$(windows_dll_folders "$@")"
    $MINGW-strip --strip-unneeded "$dist"/*.exe "$dist"/*.dll "$dist"/*/*.dll
}

pack_zip() {
    local dist=$1 zip_file=$2
    rm -f "$zip_file"
    (cd "$dist" && zip -qrX "$zip_file" .)
}

# The installer installs for the current user, with a Start-menu entry and an uninstaller
# that removes exactly the files it put there.
pack_installer() {
    local dist=$1 version=$2 setup=$3
    local lists
    lists=$(mktemp -d)
    (cd "$dist" && find . -type d ! -name . | sort) >"$lists/folders"
    (cd "$dist" && find . -type f | sort) >"$lists/files"
    {
        while read -r folder; do
            echo "CreateDirectory \"\$INSTDIR\\${folder#./}\""
        done <"$lists/folders"
        while read -r file; do
            local windows=${file#./}
            windows=${windows//\//\\}
            echo "File \"/oname=$windows\" \"$dist/${file#./}\""
        done <"$lists/files"
    } >"$lists/install.nsh"
    {
        while read -r file; do
            local windows=${file#./}
            echo "Delete \"\$INSTDIR\\${windows//\//\\}\""
        done <"$lists/files"
        sort -r "$lists/folders" | while read -r folder; do
            local windows=${folder#./}
            echo "RMDir \"\$INSTDIR\\${windows//\//\\}\""
        done
    } >"$lists/uninstall.nsh"
    makensis -V2 -DVERSION="$version" -DOUTFILE="$setup" -DLISTS="$lists" \
        "$BRINDLEQUAY_ROOT/scripts/windows/installer.nsi"
    rm -rf "$lists"
}
