#!/usr/bin/env python3
"""Runs the same generated corpus through tolvane-eval built for several
machines (this one, Windows x64 under Wine, Linux arm64 under QEMU) and checks
that they answer byte for byte alike, in sheet mode and in engine mode, and a
corpus of expense-list sheets in reference mode (--refs):
standard output, standard error and exit status. A Windows program ends its
lines with CR LF; that is the one difference allowed.

    tests/tools/cross_compare.py [--lines 100000] [--seed 9] BUILD_DIR...

Each BUILD_DIR is a CMake build tree holding tools/tolvane-eval (or
tolvane-eval.exe); a cross build's CMAKE_CROSSCOMPILING_EMULATOR (from its
CMakeCache.txt) runs it, as CTest does. The first tree is the reference.
Prints how many lines were compared and how many differ, shows the first
differences, and exits 1 on any.

The corpus is eval_corpus.py's: arithmetic with long numbers at and beyond the
limits of the range, every function with arguments across and beyond its
domain (one line in three on the transcendental functions), "@@" variables,
faulty lines.
"""
import argparse
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import eval_corpus  # noqa: E402  (the corpus generator beside this script)


def cache_entry(build_dir, name):
    try:
        with open(os.path.join(build_dir, "CMakeCache.txt"), encoding="utf-8") as cache:
            for row in cache:
                if row.startswith(name + ":"):
                    return row.split("=", 1)[1].strip()
    except OSError:
        pass
    return ""


def program(build_dir):
    """The command that runs this tree's tolvane-eval, and a name for it."""
    for name in ("tolvane-eval", "tolvane-eval.exe"):
        path = os.path.join(build_dir, "tools", name)
        if os.path.exists(path):
            emulator = [part for part in cache_entry(build_dir, "CMAKE_CROSSCOMPILING_EMULATOR")
                        .split(";") if part]
            label = os.path.basename(os.path.abspath(build_dir))
            return emulator + [os.path.abspath(path)], label
    sys.exit(f"cross_compare: no tools/tolvane-eval in {build_dir}")


def normalized(outcome):
    out, err, status = outcome
    return out.replace(b"\r\n", b"\n"), err.replace(b"\r\n", b"\n"), status


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("builds", nargs="+", help="CMake build trees, the reference first")
    parser.add_argument("--lines", type=int, default=100_000)
    parser.add_argument("--seed", type=int, default=9)
    parser.add_argument("--show", type=int, default=10, help="differing lines to print")
    args = parser.parse_args()

    corpus = eval_corpus.corpus(args.lines, args.seed)
    sheets = eval_corpus.reference_corpus(args.lines, args.seed)
    programs = [program(build) for build in args.builds]
    differing = 0
    compared = 0
    for mode, data in (([], corpus), (["--engine"], corpus), (["--refs"], sheets)):
        mode_name = mode[0][2:] if mode else "sheet"
        inputs = data.split(b"\n")
        outcomes = []
        for command, label in programs:
            start = time.monotonic()
            outcomes.append(normalized(eval_corpus.run(command[0], command[1:] + mode, data)))
            print(f"{mode_name:6} mode: {label:16} {time.monotonic() - start:7.1f} s", flush=True)
        reference = outcomes[0]
        reference_lines = reference[0].split(b"\n")
        for (command, label), outcome in zip(programs[1:], outcomes[1:]):
            lines = outcome[0].split(b"\n")
            wrong = [k for k in range(max(len(lines), len(reference_lines)))
                     if k >= len(lines) or k >= len(reference_lines) or lines[k] != reference_lines[k]]
            compared += args.lines
            differing += len(wrong)
            print(f"{mode_name:6} mode: {label} against {programs[0][1]}: {args.lines} lines "
                  f"compared, {len(wrong)} differ"
                  + ("" if outcome[1] == reference[1] else ", standard error differs")
                  + ("" if outcome[2] == reference[2] else
                     f", exit status {outcome[2]} against {reference[2]}"))
            if outcome[1] != reference[1] or outcome[2] != reference[2]:
                differing += 1
            for k in wrong[:args.show]:
                given = inputs[k][:120] if k < len(inputs) else b""
                print(f"  line {k + 1}: {given!r}\n"
                      f"    {programs[0][1]}: {reference_lines[k][:160] if k < len(reference_lines) else b''!r}\n"
                      f"    {label}: {lines[k][:160] if k < len(lines) else b''!r}")
    print(f"cross_compare: {args.lines} lines in each mode through {len(programs)} builds: "
          f"{compared} answers compared with those of {programs[0][1]}, {differing} differ")
    return 1 if differing else 0


if __name__ == "__main__":
    sys.exit(main())
