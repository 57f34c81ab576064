#!/bin/sh
# Installs the Debian 12 packages that building, running and testing NYO need, or those named
# as arguments (make fuzz: Clang and its libFuzzer runtime). As root it runs apt-get; otherwise
# it prints the exact command and fails.
set -e
PACKAGES="$*"
[ -n "$PACKAGES" ] || PACKAGES="build-essential cmake ninja-build pkg-config qt6-base-dev qt6-base-dev-tools
 libqt6opengl6-dev libgl1-mesa-dev qt6-qpa-plugins qt6-translations-l10n
 fonts-ipafont-gothic fonts-ipafont-mincho xdg-utils time xvfb xdotool openbox libx11-dev
 poppler-utils desktop-file-utils dpkg-dev file
 fcitx5 fcitx5-anthy fcitx5-frontend-qt6 dbus-daemon
 qt6-base-private-dev at-spi2-core python3-pyatspi"

missing=""
for p in $PACKAGES; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0

if [ "$(id -u)" != 0 ]; then
  echo "NYO needs these Debian packages. Run, as root:" >&2
  echo "  apt-get update && apt-get install -y$missing" >&2
  exit 1
fi
apt-get update
DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $missing
