#!/usr/bin/env python3
"""Start-up benchmark of the real program (a script, not a test).

For each program: the time from exec until its window is mapped, seen by an X event listener
(xev on the root window, substructure events), and its resident memory 2 s after start, over
several runs on one Xvfb display. Prints the median of each and tolvane's ratio to a bare Qt 6
window with a text control built in the same tree.

Usage: startup.py BUILD_DIR [RUNS]    (default 7 runs)
"""
import os
import queue
import statistics
import subprocess
import sys
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "../../tests/e2e"))
from xvfb import start_xvfb  # noqa: E402  (shared with the e2e test)


class MapListener:
    """xev on the root window; every line is stamped the moment it arrives."""

    def __init__(self, env):
        self.lines = queue.Queue()
        self.process = subprocess.Popen(
            ["stdbuf", "-oL", "xev", "-root", "-event", "substructure"], env=env,
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True, bufsize=1)
        threading.Thread(target=self._read, daemon=True).start()
        time.sleep(0.5)  # xev selects its events before the first program starts

    def _read(self):
        for line in self.process.stdout:
            self.lines.put((time.monotonic(), line))

    def drain(self):
        while not self.lines.empty():
            self.lines.get_nowait()

    def next_map(self, timeout):
        deadline = time.monotonic() + timeout
        while True:
            left = deadline - time.monotonic()
            if left <= 0:
                return None
            try:
                stamp, line = self.lines.get(timeout=left)
            except queue.Empty:
                return None
            if line.startswith("MapNotify event"):
                return stamp

    def stop(self):
        self.process.terminate()
        self.process.wait()


def resident_mib(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024
    return float("nan")


def measure_once(binary, env, listener):
    """One start: (milliseconds until the window is mapped, MiB resident 2 s after exec)."""
    listener.drain()
    start = time.monotonic()
    program = subprocess.Popen([binary], env=env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    mapped = listener.next_map(timeout=20)
    if mapped is None:
        program.kill()
        sys.exit(f"{binary}: no window was mapped")
    time.sleep(max(0.0, start + 2.0 - time.monotonic()))
    memory = resident_mib(program.pid)
    program.terminate()
    program.wait()
    time.sleep(0.2)
    return (mapped - start) * 1000, memory


def main():
    if len(sys.argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    build = sys.argv[1]
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 7
    programs = [("bare Qt 6 window", os.path.join(build, "bench/startup/tolvane_bare_window")),
                ("tolvane", os.path.join(build, "app/tolvane"))]
    server, env = start_xvfb()
    listener = MapListener(env)
    try:
        # One unmeasured start of each warms the page cache and the font cache. The programs
        # then take turns, so a change in the machine's load hits both alike.
        for _, binary in programs:
            measure_once(binary, env, listener)
        samples = {name: [] for name, _ in programs}
        for _ in range(runs):
            for name, binary in programs:
                samples[name].append(measure_once(binary, env, listener))
        medians = {}
        for name, _ in programs:
            times = [t for t, _ in samples[name]]
            medians[name] = (statistics.median(times),
                             statistics.median(m for _, m in samples[name]))
            print(f"{name:18} mapped after {medians[name][0]:6.1f} ms (median of {runs}; "
                  f"runs {', '.join(f'{t:.0f}' for t in times)}), "
                  f"resident at 2 s {medians[name][1]:5.1f} MiB")
        bare, ours = medians["bare Qt 6 window"], medians["tolvane"]
        print(f"tolvane / bare: time {ours[0] / bare[0]:.2f}x, memory {ours[1] / bare[1]:.2f}x "
              f"(target: within 1.5x)")
    finally:
        listener.stop()
        server.terminate()
        server.wait()
    return 0


if __name__ == "__main__":
    sys.exit(main())
