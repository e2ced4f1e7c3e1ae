#!/usr/bin/env bash
# Cross-builds both programs for 64-bit Windows on Debian 12 and packs them as a zip and an
# installer in build-windows/. The libraries they need are built from Debian's sources once,
# into ~/.cache/brindlequay-windows (or $BRINDLEQUAY_WINDOWS_CACHE), and reused while their
# versions stay the same. Needs root or sudo for the packages, like setup.sh.
#
#   scripts/build-windows.sh           the programs, the zip and the installer
#   scripts/build-windows.sh --tests   the tests as well, then runs them under wine
set -euo pipefail
shopt -s inherit_errexit
cd "$(dirname "$0")/.."
BRINDLEQUAY_ROOT=$PWD
TOOLCHAIN=$BRINDLEQUAY_ROOT/cmake/WindowsToolchain.cmake
CACHE=${BRINDLEQUAY_WINDOWS_CACHE:-$HOME/.cache/brindlequay-windows}
BUILD=$BRINDLEQUAY_ROOT/build-windows
with_tests=OFF
[[ ${1:-} == --tests ]] && with_tests=ON

source scripts/debian-packages.sh
install_debian_packages \
    g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev \
    libz-mingw-w64-dev libz-mingw-w64 wine64 nsis zip unzip \
    cmake ninja-build pkgconf dpkg-dev \
    yasm autoconf automake libtool tcl \
    qt6-base-dev qt6-base-dev-tools # moc, rcc and uic run here

source scripts/windows/dependencies.sh
mkdir -p "$CACHE"
prefixes=$(build_dependencies)
export BRINDLEQUAY_WINDOWS_PREFIX=$prefixes

# pkg-config must see the Windows libraries only, never the machine's own.
pkg_dirs=/usr/$MINGW/lib/pkgconfig
IFS=';' read -ra prefix_list <<<"$prefixes"
for prefix in "${prefix_list[@]}"; do
    pkg_dirs+=":$prefix/lib/pkgconfig"
done
export PKG_CONFIG_LIBDIR=$pkg_dirs PKG_CONFIG_PATH=

source scripts/windows/packing.sh
# The tests are listed by running them under wine while building, which needs the DLLs.
BRINDLEQUAY_WINDOWS_DLL_PATH=$(windows_dll_folders "${prefix_list[@]}")
export BRINDLEQUAY_WINDOWS_DLL_PATH

echo "build-windows: building Brindlequay"
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_PREFIX_PATH="$prefixes" \
    -DBRINDLEQUAY_TESTS=$with_tests \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$BRINDLEQUAY_ROOT/scripts/windows/wine-run.sh" >/dev/null
cmake --build "$BUILD"

lay_out_dist "$BUILD/dist" "${prefix_list[@]}"
version=$(sed -n 's/^project(Brindlequay VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
pack_zip "$BUILD/dist" "$BUILD/Brindlequay-$version-win64.zip"
pack_installer "$BUILD/dist" "$version" "$BUILD/Brindlequay-$version-win64-setup.exe"
echo "build-windows: $BUILD/Brindlequay-$version-win64.zip"
echo "build-windows: $BUILD/Brindlequay-$version-win64-setup.exe"

if [[ $with_tests == ON ]]; then
    echo "build-windows: running the tests under wine"
    ctest --test-dir "$BUILD" --output-on-failure --timeout 900
fi
