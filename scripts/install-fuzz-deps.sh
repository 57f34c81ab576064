#!/bin/sh
# Installs what `make fuzz` needs besides the build's own packages: Clang and its libFuzzer
# runtime. As root it runs apt-get; otherwise it prints the exact command and fails.
set -e
PACKAGES="clang libclang-rt-14-dev"

missing=""
for p in $PACKAGES; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0

if [ "$(id -u)" != 0 ]; then
  echo "Fuzzing NYO needs these Debian packages. Run, as root:" >&2
  echo "  apt-get update && apt-get install -y$missing" >&2
  exit 1
fi
apt-get update
DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $missing
