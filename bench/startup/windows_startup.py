#!/usr/bin/env python3
"""Start-up of tolvane.exe under Wine next to the Linux program (a script, not a test; the
figures are indicative: Wine adds its own start-up, which Windows does not have).

On one Xvfb display the two programs take turns: the Linux build's tolvane, and tolvane.exe run
by Wine in a fresh prefix whose server is kept running between the starts (as on a desktop
where Wine already runs). For each start: the time from exec until the calculator's window is
mapped, seen by an X event listener. Prints the medians and their ratio, and the first start
under Wine (a cold prefix) apart.

Usage: windows_startup.py LINUX_TOLVANE TOLVANE_EXE [RUNS]    (default 7 runs)
"""
import os
import queue
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

here = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(here, "../../tests/e2e"))
import wine  # noqa: E402  (shared with the e2e test)
from startup import MapListener  # noqa: E402
from xvfb import start_xvfb  # noqa: E402

TITLE = "Tolvane计算器"


def window_name(env, window):
    return subprocess.run(["xdotool", "getwindowname", str(int(window, 16))], env=env,
                          capture_output=True, text=True).stdout.strip()


def measure_once(command, env, listener):
    """Milliseconds from exec until the window named TITLE is mapped."""
    listener.drain()
    start = time.monotonic()
    program = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    deadline = start + 60
    mapped = None
    while mapped is None and time.monotonic() < deadline:
        event = listener.next_map_window(timeout=deadline - time.monotonic())
        if event and window_name(env, event[1]) == TITLE:
            mapped = event[0]
    program.kill()
    program.wait()
    if mapped is None:
        sys.exit(f"{' '.join(command)}: no window named {TITLE} was mapped")
    time.sleep(0.3)
    return (mapped - start) * 1000


class WindowMapListener(MapListener):
    def next_map_window(self, timeout):
        """(time, window id) of the next window mapped, or None."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            try:
                stamp, line = self.lines.get(timeout=max(0.0, deadline - time.monotonic()))
            except queue.Empty:
                return None
            if line.startswith("MapNotify event"):
                # xev writes the mapped window on the event's second line:
                # "    event 0x..., window 0x..., override NO"
                try:
                    _, detail = self.lines.get(timeout=1)
                except queue.Empty:
                    return None
                for field in detail.split(","):
                    if field.strip().startswith("window "):
                        return stamp, field.split()[1]
        return None


def main():
    if len(sys.argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    linux, exe = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    runs = int(sys.argv[3]) if len(sys.argv) > 3 else 7
    work = tempfile.mkdtemp(prefix="tolvane-wine-startup-")
    server, xenv = start_xvfb()
    env = None
    keeper = None
    try:
        env = wine.make_prefix(os.path.join(work, "prefix"))
        env.update(DISPLAY=xenv["DISPLAY"], XDG_RUNTIME_DIR=xenv["XDG_RUNTIME_DIR"])
        # Keeps the prefix's server up between the starts.
        keeper = subprocess.Popen([wine.WINESERVER, "-f", "-p"], env=env)
        listener = WindowMapListener(xenv)
        programs = [("tolvane (Linux)", [linux], xenv),
                    ("tolvane.exe (Wine)", [wine.WINE, exe], env)]
        cold = measure_once(programs[1][1], env, listener)
        measure_once(programs[0][1], xenv, listener)
        samples = {name: [] for name, _, _ in programs}
        for _ in range(runs):
            for name, command, program_env in programs:
                samples[name].append(measure_once(command, program_env, listener))
        medians = {}
        for name, _, _ in programs:
            medians[name] = statistics.median(samples[name])
            print(f"{name:19} mapped after {medians[name]:7.1f} ms (median of {runs}; runs "
                  f"{', '.join(f'{t:.0f}' for t in samples[name])})")
        print(f"first start in the new prefix: {cold:.0f} ms")
        print(f"Wine / Linux: {medians['tolvane.exe (Wine)'] / medians['tolvane (Linux)']:.2f}x")
        listener.stop()
    finally:
        if env:
            # Ends the prefix's programs and its server, the keeper among them.
            wine.stop(env)
        if keeper:
            keeper.wait()
        server.terminate()
        server.wait()
        shutil.rmtree(work, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
