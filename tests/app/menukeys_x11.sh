#!/bin/sh
# The menu bar's Alt keys on a real X server with no window manager, as a person presses them
# with the text focused: Alt+V W turns word wrap off (and stores it), Alt+F C closes the
# document, and in the menu bar without documents Alt+F X ends the program.
# Usage: menukeys_x11.sh path/to/NYO
set -u
nyo="$1" work=$(mktemp -d) xpid="" npid=""
trap '[ -n "$npid" ] && kill "$npid" 2>/dev/null; [ -n "$xpid" ] && kill "$xpid" 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
# Polls a shell condition every 0.1 s for up to $1 seconds.
wait_for() {
    i=$(($1 * 10)); shift
    until eval "$@" >/dev/null 2>&1; do
        i=$((i - 1)); [ "$i" -le 0 ] && return 1
        sleep 0.1
    done
}
visible_windows() { xdotool search --onlyvisible --pid "$npid" 2>/dev/null | wc -l; }
# Presses a menu's Alt key, waits for its menu to show, then presses an item's letter.
menu_key() {
    before=$(visible_windows)
    xdotool key "alt+$1"
    wait_for 10 '[ "$(visible_windows)" -gt "$before" ]' || fail "Alt+$1 opened no menu"
    xdotool key "$2"
}

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/display" 2>/dev/null &
xpid=$!
wait_for 20 '[ -s "$work/display" ]' || fail "Xvfb did not start"
export DISPLAY=":$(cat "$work/display")" QT_QPA_PLATFORM=xcb
export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run" HOME="$work"
mkdir -m 700 "$work/run"
printf 'some text\r\n' >"$work/text.txt"
"$nyo" "$work/text.txt" &
npid=$!
wait_for 60 'xdotool search --onlyvisible --name "^NYO - " | grep -q .' || fail "no main window"

menu_key v w
wait_for 10 'grep -q "^wordwrap=0" "$XDG_CONFIG_HOME/Hoshikage!/NYO.ini"' || fail "Alt+V W did not turn word wrap off"
menu_key f c
wait_for 10 'xdotool search --onlyvisible --name "^NYO\$" | grep -q .' || fail "Alt+F C did not close the document"
menu_key f x
wait_for 30 '! kill -0 "$npid"' || fail "Alt+F X did not end the program"
wait "$npid"; status=$?; npid=""
[ "$status" -eq 0 ] || fail "the program ended with status $status"
echo "PASS: the menu keys work from the text"
