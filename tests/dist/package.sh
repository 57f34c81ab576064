#!/bin/sh
# What installing brings, checked in a throw-away DESTDIR, and the Debian package built from
# the same tree: its files and its control data. Usage: package.sh <build folder> <version>
set -eu
build=$(cd "$1" && pwd)
version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# Installed under /usr into a staging folder: exactly these files.
DESTDIR="$work/root" cmake --install "$build" --prefix /usr >/dev/null
( cd "$work/root" && find . -type f | sort ) > "$work/files"
{
  echo ./usr/bin/NYO
  for size in 128 16 24 256 32 48 64; do echo "./usr/share/icons/hicolor/${size}x${size}/apps/NYO.png"; done
  echo ./usr/share/NYO/HELP.html
  echo ./usr/share/NYO/NYO.html
  echo ./usr/share/applications/NYO.desktop
} | sort > "$work/expected"
diff -u "$work/expected" "$work/files" || fail "installed files differ"
[ -x "$work/root/usr/bin/NYO" ] || fail "NYO is not executable"
for size in 16 24 32 48 64 128 256; do
  file "$work/root/usr/share/icons/hicolor/${size}x${size}/apps/NYO.png" | grep -q "PNG image data, $size x $size" ||
    fail "icon $size is not a $size-pixel PNG"
done

# The desktop entry is valid and starts the installed program with the files it is given.
entry="$work/root/usr/share/applications/NYO.desktop"
desktop-file-validate "$entry" || fail "desktop-file-validate"
grep -qx 'Exec=NYO %F' "$entry" || fail "Exec"
grep -qx 'Icon=NYO' "$entry" || fail "Icon"
grep -qx 'MimeType=text/plain;' "$entry" || fail "MimeType"
grep -q '^Name\[ja\]=' "$entry" || fail "Name[ja]"

# The package: the same files under /usr, versioned, with the libraries it links and the fonts.
(cd "$build" && cpack -G DEB -B "$work/deb" >/dev/null) || fail "cpack"
deb=$(ls "$work"/deb/nyo_*.deb)
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sort > "$work/packaged"
diff -u "$work/expected" "$work/packaged" || fail "packaged files differ"
control=$(dpkg-deb -f "$deb" Package Version Architecture Maintainer Depends Section Description)
echo "$control" | grep -qx 'Package: nyo' || fail "Package"
echo "$control" | grep -qx "Version: $version-1" || fail "Version (expected $version-1)"
echo "$control" | grep -q '^Maintainer: .*<.*@.*>' || fail "Maintainer"
depends=$(echo "$control" | sed -n 's/^Depends: //p')
for dep in libqt6widgets6 libqt6printsupport6 libc6 qt6-qpa-plugins fonts-ipafont-gothic fonts-ipafont-mincho; do
  echo "$depends" | grep -q "$dep" || fail "Depends lacks $dep: $depends"
done
echo "installed tree, desktop entry and package: fine"
