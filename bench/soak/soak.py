#!/usr/bin/env python3
"""Soak check of the line logic: one tolvane-eval process evaluates many
generated sheet lines (sheet mode, as Enter does); its resident memory after
the first 10,000 lines and at the end must stay within a few MiB.

    bench/soak/soak.py build/tools/tolvane-eval [--lines 1000000] [--slack-mib 4]

Prints the resident memory at 10,000 lines and at the end; exits 1 when it grew
by more than the slack. A script, not a test: it runs for minutes.
"""
import argparse
import random
import subprocess
import sys
import threading

FUNCTIONS = ["sqrt", "abs", "sin", "cos", "ln", "log10", "exp", "int", "round", "frac"]
LISTS = ["max", "min", "sum", "avg", "stddev"]


def number(rng):
    kind = rng.random()
    if kind < 0.6:
        return str(rng.randint(0, 999))
    if kind < 0.9:
        return f"{rng.uniform(0, 1000):.{rng.randint(1, 6)}f}"
    return rng.choice(["pi", "e", "0", "150", "1E5"])


def expression(rng, depth=0):
    if depth > 3 or rng.random() < 0.3:
        return number(rng)
    kind = rng.random()
    if kind < 0.5:
        op = rng.choice("+-*/^")
        return f"{expression(rng, depth + 1)}{op}{expression(rng, depth + 1)}"
    if kind < 0.65:
        return f"({expression(rng, depth + 1)})"
    if kind < 0.8:
        return f"{rng.choice(FUNCTIONS)}({expression(rng, depth + 1)})"
    if kind < 0.9:
        args = ",".join(expression(rng, depth + 1) for _ in range(rng.randint(1, 6)))
        return f"{rng.choice(LISTS)}({args})"
    return f"{number(rng)}{rng.choice(['%', '!', ''])}"


def line(rng):
    kind = rng.random()
    text = expression(rng)
    if kind < 0.1:
        return text + "=" + number(rng)          # a line that carries an old result
    if kind < 0.2:
        return "a*b+" + text + "@@a=2,b=" + number(rng)
    if kind < 0.25:
        return text + rng.choice(["+", "*", "(", "..", "abc", "（1）"])  # faulty lines
    if kind < 0.3:
        return " " + text.replace("+", " + ")
    return text


def rss_kib(pid):
    with open(f"/proc/{pid}/status") as status:
        for row in status:
            if row.startswith("VmRSS:"):
                return int(row.split()[1])
    return 0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("program")
    parser.add_argument("--lines", type=int, default=1_000_000)
    parser.add_argument("--warmup", type=int, default=10_000)
    parser.add_argument("--slack-mib", type=float, default=4.0)
    args = parser.parse_args()

    rng = random.Random(20261208)
    proc = subprocess.Popen([args.program], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                            stderr=subprocess.DEVNULL, bufsize=1 << 16)
    done = threading.Event()
    counted = [0]
    samples = {}

    def reader():
        for _ in proc.stdout:
            counted[0] += 1
            if counted[0] == args.warmup:
                samples["warm"] = rss_kib(proc.pid)
            if counted[0] == args.lines:
                samples["end"] = rss_kib(proc.pid)
        done.set()

    thread = threading.Thread(target=reader, daemon=True)
    thread.start()
    batch = []
    for i in range(args.lines):
        batch.append(line(rng))
        if len(batch) == 1000:
            proc.stdin.write(("\n".join(batch) + "\n").encode())
            batch = []
    if batch:
        proc.stdin.write(("\n".join(batch) + "\n").encode())
    proc.stdin.flush()
    # Keep stdin open until the last answer is read, so the end sample is taken
    # from the live process; then let it finish.
    while "end" not in samples and not done.is_set():
        done.wait(0.1)
    proc.stdin.close()
    proc.wait()
    thread.join()

    warm = samples.get("warm", 0) / 1024
    end = samples.get("end", 0) / 1024
    print(f"soak: {counted[0]} lines; resident {warm:.1f} MiB after {args.warmup}, "
          f"{end:.1f} MiB at the end (growth {end - warm:+.1f} MiB)")
    if counted[0] != args.lines or end - warm > args.slack_mib:
        print("soak: FAILED", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
