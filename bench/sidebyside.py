#!/usr/bin/env python3
"""Opens the same generated files in NYO and, where installed, in KWrite, each on a fresh X
server of its own, and prints for each: launch to its window mapped, launch to idle (no CPU
used for IDLE_MS), peak memory (VmHWM), and the processor time used by idle, by the whole
process and by the window's thread (what that thread did not spend, another did while it went
on); the median of RUNS runs, and KWrite's figure over NYO's. Each program runs once first, uncounted, so that the caches it keeps in its home are
made. Needs Xvfb and xdotool (scripts/install-deps.sh installs both).

Usage: bench/sidebyside.py <NYO binary> [MiB ...]   (default: 16 128; 0 is a start without a file)
"""
import os
import random
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

RUNS = 3
IDLE_MS = 500
TIMEOUT_S = 60
HZ = os.sysconf("SC_CLK_TCK")

PHRASES = [
    "吾輩は猫である。", "名前はまだ無い。", "どこで生れたかとんと見当がつかぬ。",
    "何でも薄暗いじめじめした所で", "ニャーニャー泣いていた事だけは記憶している。",
    "東京都千代田区の会議室で、", "来週の打ち合わせについて確認します。",
    "ﾃﾞｰﾀﾍﾞｰｽのﾊﾞｯｸｱｯﾌﾟを取得しました。", "（注）本資料は社外秘です。",
    "「保存」ボタンを押してください。", "第３章　実験の結果と考察",
    "int main(void) { return 0; }", "2024年4月1日（月）午前10時", "    インデントされた行",
]


def make_file(path, mib):
    """CP932 prose with CR LF, lines of uneven length, cut at a whole character."""
    rng = random.Random(20240401)
    block = bytearray()
    while len(block) < 16 << 20:
        parts = 0 if rng.randrange(8) == 0 else 1 + rng.randrange(4)
        line = "".join(rng.choice(PHRASES) for _ in range(parts))
        block += line.encode("cp932") + b"\r\n"
    if mib < 16:  # the start of the block, to a line's end
        block = block[: mib << 20]
    block = block[: block.rindex(b"\r\n") + 2]
    with open(path, "wb") as out:
        for _ in range(max(1, mib // 16)):
            out.write(block)


def cpu_ticks(stat_path):
    with open(stat_path) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])  # utime + stime


def peak_kib(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmHWM:"):
                return int(line.split()[1])
    return 0


def run_once(argv, display, env):
    """(seconds to the window, seconds to idle, peak MiB) of one launch."""
    start = time.monotonic()
    proc = subprocess.Popen(argv, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        # xdotool's own --sync looks only every half second.
        while subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(proc.pid)], env=env,
                             stdout=subprocess.DEVNULL).returncode != 0:
            if time.monotonic() - start > TIMEOUT_S:
                raise TimeoutError("no window")
            time.sleep(0.01)
        shown = time.monotonic() - start
        process = f"/proc/{proc.pid}/stat"
        last, quiet_since = cpu_ticks(process), time.monotonic()
        while time.monotonic() - quiet_since < IDLE_MS / 1000:
            time.sleep(0.02)
            now = cpu_ticks(process)
            if now != last:
                last, quiet_since = now, time.monotonic()
            if time.monotonic() - start > TIMEOUT_S:
                raise TimeoutError("never idle")
        idle = quiet_since - start
        window_thread = cpu_ticks(f"/proc/{proc.pid}/task/{proc.pid}/stat") / HZ
        return shown, idle, peak_kib(proc.pid) / 1024, window_thread, last / HZ
    finally:
        proc.kill()
        proc.wait()


def start_xvfb(display):
    """An X server of its own, once it answers."""
    xvfb = subprocess.Popen(["Xvfb", display, "-screen", "0", "1280x1024x24", "-noreset"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    deadline = time.monotonic() + 10
    while subprocess.run(["xdotool", "getmouselocation"], env={**os.environ, "DISPLAY": display},
                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode != 0:
        if time.monotonic() > deadline:
            raise TimeoutError("no X server")
        time.sleep(0.05)
    return xvfb


def measure(name, argv_of, path, workdir):
    """One run first, not counted, so that each program's caches in its home are made (KWrite
    builds its service cache on its first start), then RUNS counted ones."""
    figures = []
    home = tempfile.mkdtemp(dir=workdir)
    for run in range(RUNS + 1):
        display = f":{90 + run}"
        xvfb = start_xvfb(display)
        env = {**os.environ, "DISPLAY": display, "HOME": home, "XDG_CONFIG_HOME": home + "/config",
               "XDG_STATE_HOME": home + "/state", "XDG_RUNTIME_DIR": home, "QT_QPA_PLATFORM": "xcb"}
        try:
            figure = run_once(argv_of(path), display, env)
            if run > 0:
                figures.append(figure)
        finally:
            xvfb.terminate()  # on SIGTERM it takes its lock and socket away
            xvfb.wait()
    shown, idle, peak, window_thread, process = (statistics.median(f[i] for f in figures) for i in range(5))
    print(f"  {name:8} window {shown:6.2f} s   idle {idle:6.2f} s   peak {peak:7.1f} MiB"
          f"   processor time by idle: {process:5.2f} s, {window_thread:5.2f} s of it the window's thread")
    return shown, idle, peak


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    nyo = os.path.abspath(sys.argv[1])
    sizes = [int(s) for s in sys.argv[2:]] or [16, 128]
    kwrite = shutil.which("kwrite")
    with tempfile.TemporaryDirectory() as workdir:
        for mib in sizes:
            if mib == 0:
                path = None
                print(f"An empty start (no file), median of {RUNS}:")
            else:
                path = os.path.join(workdir, f"text-{mib}MiB.txt")
                make_file(path, mib)
                print(f"{mib} MiB CP932 file ({os.path.getsize(path)} bytes), median of {RUNS}:")
            with_file = lambda argv, p: argv + ([p] if p else [])
            ours = measure("NYO", lambda p: with_file([nyo], p), path, workdir)
            if kwrite:
                theirs = measure("KWrite", lambda p: with_file([kwrite, "--encoding", "Shift-JIS"], p), path, workdir)
                print("  KWrite / NYO: " + "   ".join(f"{t / o:.2f}x" for t, o in zip(theirs, ours)))
            else:
                print("  KWrite is not installed: NYO alone")


if __name__ == "__main__":
    main()
