#!/usr/bin/env python3
"""Opens the generated files of sidebyside.py in NYO, each run on a fresh X server of its own,
and prints launch to idle (no CPU used for IDLE_MS) with the processor time spent by then: by
the window's thread alone and by the whole process. What the window's thread does not spend
(counting rows, say) another thread did while it went on; the median of RUNS runs. Compare two
builds by running it on each.

Usage: bench/threadtimes.py <NYO binary> [MiB ...]   (default: 16 128)
"""
import os
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import sidebyside  # noqa: E402  (the same files, the same X server set-up)

RUNS = 5
IDLE_MS = 500
TIMEOUT_S = 60
HZ = os.sysconf("SC_CLK_TCK")


def seconds(stat_path):
    with open(stat_path) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / HZ  # utime + stime


def run_once(argv, env):
    """(seconds to idle, window's thread CPU, process CPU) of one launch."""
    start = time.monotonic()
    proc = subprocess.Popen(argv, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        while subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(proc.pid)], env=env,
                             stdout=subprocess.DEVNULL).returncode != 0:
            if proc.poll() is not None or time.monotonic() - start > TIMEOUT_S:
                raise TimeoutError("no window")
            time.sleep(0.01)
        process = f"/proc/{proc.pid}/stat"
        last, quiet_since = seconds(process), time.monotonic()
        while time.monotonic() - quiet_since < IDLE_MS / 1000:
            time.sleep(0.02)
            now = seconds(process)
            if now != last:
                last, quiet_since = now, time.monotonic()
            if time.monotonic() - start > TIMEOUT_S:
                raise TimeoutError("never idle")
        return quiet_since - start, seconds(f"/proc/{proc.pid}/task/{proc.pid}/stat"), last
    finally:
        proc.kill()
        proc.wait()


def start_x(number):
    """An X server on display number, once it takes connections (a loaded machine may need seconds);
    without -noreset it would start again when the check disconnects, refusing the program meanwhile."""
    xvfb = subprocess.Popen(["Xvfb", f":{number}", "-noreset", "-screen", "0", "1280x1024x24"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    env = {**os.environ, "DISPLAY": f":{number}"}
    start = time.monotonic()
    while subprocess.run(["xdotool", "getdisplaygeometry"], env=env, stdout=subprocess.DEVNULL,
                         stderr=subprocess.DEVNULL).returncode != 0 and time.monotonic() - start < TIMEOUT_S:
        time.sleep(0.05)
    return xvfb


def measure(nyo, path, workdir):
    figures = []
    for run in range(RUNS):
        number = 300 + os.getpid() % 500 + run  # apart from other benchmarks' servers
        display = f":{number}"
        xvfb = start_x(number)
        home = tempfile.mkdtemp(dir=workdir)
        env = {**os.environ, "DISPLAY": display, "HOME": home, "XDG_CONFIG_HOME": home + "/config",
               "XDG_STATE_HOME": home + "/state", "XDG_RUNTIME_DIR": home, "QT_QPA_PLATFORM": "xcb"}
        try:
            figures.append(run_once([nyo, path], env))
        finally:
            xvfb.kill()
            xvfb.wait()
    idle, window, process = (statistics.median(f[i] for f in figures) for i in range(3))
    print(f"  idle {idle:5.2f} s   window's thread {window:5.2f} s   process {process:5.2f} s of processor time")


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    nyo = os.path.abspath(sys.argv[1])
    sizes = [int(s) for s in sys.argv[2:]] or [16, 128]
    with tempfile.TemporaryDirectory() as workdir:
        for mib in sizes:
            path = os.path.join(workdir, f"text-{mib}MiB.txt")
            sidebyside.make_file(path, mib)
            print(f"{mib} MiB CP932 file, median of {RUNS}:")
            measure(nyo, path, workdir)


if __name__ == "__main__":
    main()
