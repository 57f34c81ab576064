#!/usr/bin/env python3
# Reads the program as a screen reader does, through AT-SPI: starts the accessibility bus in
# this D-Bus session, opens a file in the program, finds its text on the accessibility desktop
# and reads the text, a line and the caret there, moves the caret, then types a letter on the X
# server and waits for the text-changed:insert event that tells of it (and the caret's move
# after it).
# Exit status: 0 passed, 1 failed, 77 skipped (no accessibility bus could come up).
# Usage (inside dbus-run-session, with DISPLAY set): atspi_x11.py path/to/NYO WORKDIR
import os
import subprocess
import sys
import time

SKIP = 77
LAUNCHER = "/usr/libexec/at-spi-bus-launcher"
TEXT = "日本語 text\nline two"


def skip(reason):
    print("SKIP: " + reason, flush=True)
    sys.exit(SKIP)


def fail(reason):
    print("FAIL: " + reason, flush=True)
    sys.exit(1)


def wait_for(seconds, probe):
    """Polls probe every 0.1 s for up to seconds; its last answer."""
    end = time.monotonic() + seconds
    while True:
        answer = probe()
        if answer or time.monotonic() > end:
            return answer
        time.sleep(0.1)


try:
    import gi
    gi.require_version("Atspi", "2.0")
    from gi.repository import Gio, GLib
    import pyatspi
except (ImportError, ValueError) as error:
    skip("no AT-SPI client library (python3-pyatspi): %s" % error)
if not os.access(LAUNCHER, os.X_OK):
    skip("no accessibility bus launcher (at-spi2-core): " + LAUNCHER)
if not os.environ.get("DBUS_SESSION_BUS_ADDRESS"):
    skip("no D-Bus session")

nyo, work = sys.argv[1], sys.argv[2]
children = []


def stop_children():
    for child in reversed(children):
        child.kill()
        child.wait()


def session_has(name):
    bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
    reply = bus.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                          "NameHasOwner", GLib.Variant("(s)", (name,)), None, Gio.DBusCallFlags.NONE, -1, None)
    return reply.unpack()[0]


def find(accessible, wanted, depth=0):
    """The first accessible under this one (itself included) that wanted accepts."""
    if accessible is None or depth > 30:
        return None
    if wanted(accessible):
        return accessible
    for i in range(accessible.childCount):
        found = find(accessible.getChildAtIndex(i), wanted, depth + 1)
        if found is not None:
            return found
    return None


def nyo_application():
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is not None and app.name == "NYO":
            return app
    return None


def editable_text(accessible):
    try:
        return accessible.getState().contains(pyatspi.STATE_EDITABLE) and accessible.queryText() is not None
    except NotImplementedError:
        return False


def main():
    children.append(subprocess.Popen([LAUNCHER, "--launch-immediately"], stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL))
    if not wait_for(10, lambda: session_has("org.a11y.Bus")):
        skip("the accessibility bus did not come up (org.a11y.Bus is not on the session bus)")

    path = os.path.join(work, "read.txt")
    with open(path, "wb") as f:
        f.write(TEXT.replace("\n", "\r\n").encode("cp932"))
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
    children.append(subprocess.Popen([nyo, path], env=env))

    app = wait_for(60, nyo_application)
    if app is None:
        fail("the program did not show on the accessibility desktop")
    view = wait_for(30, lambda: find(nyo_application(), editable_text))
    if view is None:
        fail("no editable text in the program's accessibility tree")
    text = view.queryText()
    read = text.getText(0, -1)
    if read != TEXT:
        fail("the text read is %r, not %r" % (read, TEXT))
    if text.caretOffset != 0:
        fail("the caret is read at %d, not at the start" % text.caretOffset)
    line = text.getTextAtOffset(5, pyatspi.TEXT_BOUNDARY_LINE_START)
    if tuple(line) != ("日本語 text\n", 0, 9):
        fail("the line at offset 5 is read as %r" % (line,))
    text.setCaretOffset(3)
    if not wait_for(5, lambda: text.caretOffset == 3):
        fail("the caret set at 3 is read at %d" % text.caretOffset)
    print("read: %r, caret at %d" % (read, text.caretOffset), flush=True)

    heard = []

    def listen(event):
        heard.append((event.type, event.detail1, event.detail2, event.any_data))
        if event.type.startswith("object:text-caret-moved"):
            pyatspi.Registry.stop()

    def type_letter():
        subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^NYO - ", "windowactivate", "--sync"],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run(["xdotool", "key", "x"], check=True)
        return False

    def give_up():
        pyatspi.Registry.stop()
        return False

    pyatspi.Registry.registerEventListener(listen, "object:text-changed:insert", "object:text-caret-moved")
    GLib.timeout_add(500, type_letter)
    GLib.timeout_add(20000, give_up)
    pyatspi.Registry.start()
    print("heard: %r" % heard, flush=True)
    inserts = [h for h in heard if h[0].startswith("object:text-changed:insert")]
    if inserts != [("object:text-changed:insert", 3, 1, "x")]:
        fail("typing x at 3 was told as %r" % heard)
    moved = [h for h in heard if h[0].startswith("object:text-caret-moved")]
    if not moved or moved[-1][1] != 4 or heard.index(inserts[0]) > heard.index(moved[-1]):
        fail("no caret move to 4 after the insertion: %r" % heard)
    if text.getText(0, -1) != TEXT[:3] + "x" + TEXT[3:]:
        fail("the text read after typing is %r" % text.getText(0, -1))
    print("PASS: the text, the caret and the typed letter are read through AT-SPI", flush=True)


try:
    main()
finally:
    stop_children()
