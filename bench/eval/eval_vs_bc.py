#!/usr/bin/env python3
"""tolvane-eval against `bc -l` on the same plain arithmetic (a script, not a test).

Generates a seeded corpus of lines both programs accept with the same meaning (decimal numbers,
+ - * /, parentheses, no division by zero, no signs in front of numbers), checks on a sample
that both programs' answers agree as numbers, then times each program on the whole corpus
(standard input from a file, standard output to a file), interleaving the runs so both see the
same machine. Prints the median time per line of each and bc's time over tolvane-eval's, for
tolvane-eval's default (sheet) mode and for --engine.

Usage: eval_vs_bc.py TOLVANE_EVAL [--lines 200000] [--runs 7] [--seed 5] [--sample 4000]
Exit status 1 when the answers disagree or a program fails.
"""
import argparse
import os
import random
import resource
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

# bc writes long numbers across lines ending in a backslash unless told not to.
BC_ENV = dict(os.environ, BC_LINE_LENGTH="0")


def number(rng):
    kind = rng.random()
    if kind < 0.5:
        return str(rng.randint(1, 999))
    if kind < 0.9:
        return f"{rng.randint(0, 999)}.{rng.randint(1, 99):02d}".rstrip("0")
    return f"0.{rng.randint(1, 999):03d}"


def operand(rng, depth, divisor):
    # A bracket that may come to zero never stands behind "/".
    if depth < 1 and not divisor and rng.random() < 0.15:
        return f"({expression(rng, depth + 1)})"
    return number(rng)


def expression(rng, depth=0):
    count = rng.randint(2, 3) if depth else rng.randint(2, 5)
    text = operand(rng, depth, False)
    for _ in range(count - 1):
        op = rng.choice("+-*/")
        text += op + operand(rng, depth, op == "/")
    return text


def corpus(lines, seed):
    rng = random.Random(seed)
    return "".join(expression(rng) + "\n" for _ in range(lines)).encode("ascii")


def run(command, data_file, env=None):
    """Runs the command on the corpus: its standard output, the wall-clock seconds it took and
    the processor seconds (user and system) it used."""
    with open(data_file, "rb") as stdin, tempfile.TemporaryFile() as stdout:
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        start = time.perf_counter()
        done = subprocess.run(command, stdin=stdin, stdout=stdout, stderr=subprocess.PIPE,
                              env=env, check=False)
        wall = time.perf_counter() - start
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        stdout.seek(0)
        out = stdout.read()
    if done.returncode not in (0, 1) or done.stderr:
        sys.exit(f"{command[0]} failed ({done.returncode}): {done.stderr[:300]!r}")
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    return out, wall, cpu


def answers(out, sheet):
    rows = out.decode("utf-8").split("\n")[:-1]
    return [float(row.rsplit("=", 1)[1]) if sheet else float(row) for row in rows]


def agree(a, b):
    # tolvane-eval keeps 15 significant digits of every intermediate value, bc 20 decimals.
    return abs(a - b) <= 1e-9 * max(1.0, abs(a), abs(b))


def check_sample(program, bc, lines, workdir, size, seed):
    rng = random.Random(seed)
    sample = rng.sample(lines, min(size, len(lines)))
    path = os.path.join(workdir, "sample.txt")
    with open(path, "wb") as f:
        f.write(b"".join(line + b"\n" for line in sample))
    reference = answers(run([bc, "-l"], path, BC_ENV)[0], sheet=False)
    ok = True
    for mode, sheet in (([], True), (["--engine"], False)):
        got = answers(run([program] + mode, path)[0], sheet)
        bad = [k for k, (a, b) in enumerate(zip(got, reference)) if not agree(a, b)]
        if len(got) != len(reference) or bad:
            ok = False
            for k in bad[:5]:
                print(f"  disagree: {sample[k].decode()} -> {got[k]!r} vs bc {reference[k]!r}")
        print(f"sample of {len(sample)} lines, {'sheet' if sheet else 'engine'} mode: "
              f"{len(sample) - len(bad)} agree with bc -l")
    return ok


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("program")
    parser.add_argument("--lines", type=int, default=200_000)
    parser.add_argument("--runs", type=int, default=7)
    parser.add_argument("--seed", type=int, default=5)
    parser.add_argument("--sample", type=int, default=4000)
    args = parser.parse_args()
    bc = shutil.which("bc")
    if not bc:
        sys.exit("bc is not installed (scripts/setup-debian.sh installs it)")

    data = corpus(args.lines, args.seed)
    with tempfile.TemporaryDirectory() as workdir:
        path = os.path.join(workdir, "corpus.txt")
        with open(path, "wb") as f:
            f.write(data)
        if not check_sample(args.program, bc, data.split(b"\n")[:-1], workdir, args.sample,
                            args.seed):
            return 1
        commands = {
            "bc -l": ([bc, "-l"], BC_ENV),
            "tolvane-eval": ([args.program], None),
            "tolvane-eval --engine": ([args.program, "--engine"], None),
        }
        walls = {name: [] for name in commands}
        cpus = {name: [] for name in commands}
        for _ in range(args.runs):
            for name, (command, env) in commands.items():
                _, wall, cpu = run(command, path, env)
                walls[name].append(wall)
                cpus[name].append(cpu)

    def per_line(seconds):
        return statistics.median(seconds) / args.lines * 1e6

    print(f"{args.lines} lines, median of {args.runs} runs, microseconds per line "
          "(processor time is user plus system; wall-clock time depends on what else runs):")
    print(f"  {'':22} {'processor':>9} {'wall':>9}")
    for name in commands:
        print(f"  {name:22} {per_line(cpus[name]):9.3f} {per_line(walls[name]):9.3f}")
    for name in ("tolvane-eval", "tolvane-eval --engine"):
        cpu_ratio = per_line(cpus["bc -l"]) / per_line(cpus[name])
        wall_ratio = per_line(walls["bc -l"]) / per_line(walls[name])
        print(f"bc -l / {name}: {cpu_ratio:.2f}x processor time, {wall_ratio:.2f}x wall-clock")
    return 0


if __name__ == "__main__":
    sys.exit(main())
