#!/bin/sh
# What a screen reader reads of the program through AT-SPI, on a private X server and a private
# D-Bus session with its own accessibility bus: see atspi_x11.py. Skips (77) where no such bus
# can come up.
# Usage: atspi_x11.sh path/to/NYO
set -u
nyo="$1" here=$(dirname "$0") work=$(mktemp -d) xpid=""
trap '[ -n "$xpid" ] && kill "$xpid" 2>/dev/null; rm -rf "$work"' EXIT
skip() { echo "SKIP: $*"; exit 77; }
# The system's Python, where the Debian package puts the AT-SPI client library.
python=/usr/bin/python3
[ -x "$python" ] || skip "no $python"
for tool in Xvfb xdotool dbus-run-session; do
    command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed (scripts/install-deps.sh)"
done
# -noreset: the bus launcher's brief connection would otherwise reset the server as it closes,
# and the program's own connection could come in the middle of the reset and be refused.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/display" 2>/dev/null &
xpid=$!
i=200
until [ -s "$work/display" ]; do
    i=$((i - 1)); [ "$i" -le 0 ] && skip "Xvfb did not start"
    sleep 0.1
done
export DISPLAY=":$(cat "$work/display")" QT_QPA_PLATFORM=xcb
export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run" HOME="$work"
mkdir -m 700 "$work/run"
# The session's bus ends with the reader, and with it the accessibility bus it started.
dbus-run-session -- "$python" "$here/atspi_x11.py" "$nyo" "$work"
