#!/usr/bin/env bash
# Builds a release of both programs and packs them, with their menu entry, icons and manual
# pages, as build-package/brindlequay_<version>_<arch>.deb. The programs and the files they read
# beside them go to /opt/brindlequay, which the programs never write; /usr/bin names both.
# Installs what it needs first, like setup.sh.
#
#   bash scripts/package-deb.sh        then: sudo apt-get install ./build-package/brindlequay_*.deb
set -euo pipefail
shopt -s inherit_errexit
cd "$(dirname "$0")/.."
ROOT=$PWD
BUILD=$ROOT/build-package
STAGE=$BUILD/root
LINUX=$ROOT/packaging/linux

bash scripts/setup.sh
source scripts/debian-packages.sh
install_debian_packages dpkg-dev desktop-file-utils

version=$(sed -n 's/^project(Brindlequay VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
arch=$(dpkg --print-architecture)
# The pages carry the date of the commit they were built from, so that a rebuild is the same.
page_date=$(git log -1 --format=%cd --date=format:%Y-%m-%d 2>/dev/null || date -u +%Y-%m-%d)

echo "package-deb: building Brindlequay $version"
# A folder of the build's own: a file left in dist/ by another build must not be shipped.
rm -rf "$BUILD/dist"
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRINDLEQUAY_TESTS=OFF >/dev/null
cmake --build "$BUILD" --target brindlequay brindlequay-batch delivered_files

rm -rf "$STAGE"
program_dir=$STAGE/opt/brindlequay
mkdir -p "$program_dir" "$STAGE/usr/bin" "$STAGE/usr/share/applications" \
    "$STAGE/usr/share/man/man1" "$STAGE/usr/share/doc/brindlequay" "$STAGE/DEBIAN"
cp -R "$BUILD/dist/." "$program_dir/"
strip --strip-unneeded "$program_dir/brindlequay" "$program_dir/brindlequay-batch"
# The links point across top-level folders, so they name their targets whole.
ln -s /opt/brindlequay/brindlequay "$STAGE/usr/bin/brindlequay"
ln -s /opt/brindlequay/brindlequay-batch "$STAGE/usr/bin/brindlequay-batch"

desktop-file-validate "$LINUX/brindlequay.desktop"
cp "$LINUX/brindlequay.desktop" "$STAGE/usr/share/applications/"
cp -R "$LINUX/icons" "$STAGE/usr/share/"
for page in "$LINUX"/man/*.1; do
    sed -e "s/@VERSION@/$version/g" -e "s/@DATE@/$page_date/g" "$page" |
        gzip -9n >"$STAGE/usr/share/man/man1/$(basename "$page").gz"
done
cp "$LINUX/copyright" "$STAGE/usr/share/doc/brindlequay/copyright"

# Whatever the umask of the build, the installed files are readable by every user.
find "$STAGE" -type d -exec chmod 0755 {} +
find "$STAGE" -type f -exec chmod 0644 {} +
chmod 0755 "$program_dir/brindlequay" "$program_dir/brindlequay-batch"

# The libraries the programs link decide the dependencies; dpkg-shlibdeps reads them off the
# programs and needs a debian/control of its own to run in.
shlibs_dir=$BUILD/shlibdeps
rm -rf "$shlibs_dir" && mkdir -p "$shlibs_dir/debian"
printf 'Source: brindlequay\n\nPackage: brindlequay\nArchitecture: any\n' \
    >"$shlibs_dir/debian/control"
depends=$(cd "$shlibs_dir" &&
    dpkg-shlibdeps -O "$program_dir/brindlequay" "$program_dir/brindlequay-batch" |
    sed -n 's/^shlibs:Depends=//p')
[[ -n $depends ]] || { echo "package-deb: dpkg-shlibdeps found no dependencies" >&2; exit 1; }

installed_size=$(du -sk --exclude=DEBIAN "$STAGE" | cut -f1)
cat >"$STAGE/DEBIAN/control" <<CONTROL
Package: brindlequay
Version: $version
Architecture: $arch
Maintainer: The Brindlequay developers <brindlequay@localhost>
Installed-Size: $installed_size
Depends: $depends
Section: utils
Priority: optional
Description: import many XML files at once into one new spreadsheet workbook
 Brindlequay gathers XML files in an ordered list (file dialog, a whole
 folder tree, drag and drop, or the bundled samples) and imports them into
 one new workbook, on one sheet or one sheet per file: either as lines of
 element paths and values, or as tables, written cell by cell. The workbook
 is left open to inspect and save as .xlsx.
 .
 brindlequay-batch runs the same import from a script and saves the workbook.
CONTROL
(cd "$STAGE" && find . -path ./DEBIAN -prune -o -type f -printf '%P\0' | sort -z |
    xargs -0 md5sum >DEBIAN/md5sums)

package=$BUILD/brindlequay_${version}_${arch}.deb
dpkg-deb --root-owner-group -Zxz --build "$STAGE" "$package" >/dev/null
echo "package-deb: $package"
