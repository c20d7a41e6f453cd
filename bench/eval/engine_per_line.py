#!/usr/bin/env python3
"""Time per line of `tolvane-eval --engine` on the engine benchmark's lines, for builds that
cannot run Google Benchmark (a cross build under QEMU or Wine), beside the native build.

    bench/eval/engine_per_line.py [--runs 5] BUILD_DIR...

Each BUILD_DIR holds tools/tolvane-eval (or .exe); a cross build's CMAKE_CROSSCOMPILING_EMULATOR
runs it. Three inputs: the 25 typical lines of bench/engine/engine_bench.cpp repeated to 200,000
lines, the call-heavy line of bench/engine/functions_bench.cpp 200,000 times, and a line of
transcendental functions 100,000 times. Prints the median over the runs, per line, in µs. The
figures include reading and writing the lines; under emulation they are only indicative.
"""
import argparse
import os
import re
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..",
                                "tests", "tools"))
import cross_compare  # noqa: E402  (finds a build's program and its emulator)

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")


def inputs():
    with open(os.path.join(ROOT, "bench", "engine", "engine_bench.cpp"), encoding="utf-8") as f:
        typical = re.findall(r'\{"([^"]+)", (?:true|false)\}', f.read())
    return [
        ("typical", "\n".join(typical * (200_000 // len(typical))) + "\n"),
        ("call-heavy", "max(1,2*3,sqrt(16))+roundto(s_circ(2),-2)\n" * 200_000),
        ("transcendental",
         "sin(1.2345)+cos(2.5)*ln(17.5)-exp(1.1)+power(2.5,3.7)+arctan(0.3)\n" * 100_000),
    ]


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("builds", nargs="+")
    parser.add_argument("--runs", type=int, default=5)
    args = parser.parse_args()
    programs = [(cross_compare.program(build)[0], build) for build in args.builds]
    for name, text in inputs():
        data = text.encode()
        count = text.count("\n")
        for command, label in programs:
            times = []
            for _ in range(args.runs):
                start = time.perf_counter()
                subprocess.run(command + ["--engine"], input=data, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL, check=False)
                times.append(time.perf_counter() - start)
            median = sorted(times)[len(times) // 2]
            print(f"{name:15} {label:32} {median / count * 1e6:8.3f} µs/line "
                  f"(median of {args.runs})", flush=True)


if __name__ == "__main__":
    main()
