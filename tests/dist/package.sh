#!/bin/sh
# What installing brings, checked in a throw-away DESTDIR, and the Debian package built from
# the same tree: its files and its control data. Usage: package.sh <build folder> <version>
set -eu
build=$(cd "$1" && pwd)
version=$2 work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# Installed under /usr into a staging folder: exactly these files.
DESTDIR="$work/root" cmake --install "$build" --prefix /usr >/dev/null
( cd "$work/root" && find . -type f | sort ) > "$work/files"
sizes="16 24 32 48 64 128 256"
{ for f in bin/NYO share/NYO/HELP.html share/NYO/NYO.html share/applications/NYO.desktop; do echo "./usr/$f"; done
  for size in $sizes; do echo "./usr/share/icons/hicolor/${size}x${size}/apps/NYO.png"; done; } | sort > "$work/expected"
diff -u "$work/expected" "$work/files" || fail "installed files differ"
[ -x "$work/root/usr/bin/NYO" ] || fail "NYO is not executable"
for size in $sizes; do
  file "$work/root/usr/share/icons/hicolor/${size}x${size}/apps/NYO.png" | grep -q "PNG image data, $size x $size" ||
    fail "icon $size is not a $size-pixel PNG"
done

# The desktop entry is valid and starts the installed program with the files it is given.
entry="$work/root/usr/share/applications/NYO.desktop"
desktop-file-validate "$entry" || fail "desktop-file-validate"
for line in 'Exec=NYO %F' 'Icon=NYO' 'MimeType=text/plain;'; do grep -qx "$line" "$entry" || fail "no $line"; done

# The package: the same files under /usr, versioned, with the libraries it links and the fonts.
(cd "$build" && cpack -G DEB -B "$work/deb" >/dev/null) || fail "cpack"
deb=$(ls "$work"/deb/nyo_*.deb)
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sort > "$work/packaged"
diff -u "$work/expected" "$work/packaged" || fail "packaged files differ"
control=$(dpkg-deb -f "$deb" Package Version Maintainer Depends)
for line in 'Package: nyo' "Version: $version-1"; do echo "$control" | grep -qx "$line" || fail "no $line"; done
echo "$control" | grep -q '^Maintainer: .*<.*@.*>' || fail "Maintainer"
for dep in libqt6widgets6 libqt6printsupport6 libc6 qt6-qpa-plugins fonts-ipafont-gothic fonts-ipafont-mincho; do
  echo "$control" | grep '^Depends:' | grep -q "$dep" || fail "Depends lacks $dep: $control"
done
echo "installed tree, desktop entry and package: fine"
