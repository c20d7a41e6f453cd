#!/usr/bin/env python3
"""tolvane-eval --refs on the rows the sheet suite types into a sheet
(tests/sheet/references_rows.txt): each case's lines as standard input must
come out as the rows say, with the exit status their outcomes give and the
boxes and faults on standard error. Then the same lines as arguments, a
stream answered line by line, CR LF input, and the options --refs refuses.

    references_test.py TOLVANE_EVAL ROWS_FILE
"""
import os
import select
import subprocess
import sys

BOX = "出错: 表达式输入错误或者超出计算范围！！"
GOOD = {"number", "text", "empty"}


def read_cases(path):
    cases = []
    with open(path, encoding="utf-8") as f:
        for line in f.read().split("\n"):
            if line.startswith("%%"):
                cases.append((line[3:], []))
            elif line and not line.startswith("%#"):
                typed, written, outcome = line.split("\t")
                cases[-1][1].append((typed.replace("\\t", "\t"), written.replace("\\t", "\t"),
                                     outcome))
    return cases


def run(program, args, text=""):
    p = subprocess.run([program] + args, input=text.encode("utf-8"), capture_output=True,
                       timeout=60)
    return p.returncode, p.stdout.decode("utf-8"), p.stderr.decode("utf-8")


def main():
    program, rows = sys.argv[1], sys.argv[2]
    failures = []

    def check(name, got, want):
        if got != want:
            failures.append(f"{name}:\n  got  {got!r}\n  want {want!r}")

    cases = read_cases(rows)
    for title, lines in cases:
        typed = [t for t, _, _ in lines]
        want_out = "".join(w + "\n" for _, w, _ in lines)
        want_status = 0 if all(o in GOOD for _, _, o in lines) else 1
        boxes = sum(o == "reported" for _, _, o in lines)
        faults = sum(o == "fault" for _, _, o in lines)
        status, out, err = run(program, ["--refs"], "".join(t + "\n" for t in typed))
        check(title + " (stdout)", out, want_out)
        check(title + " (status)", status, want_status)
        check(title + " (boxes)", err.count(BOX), boxes)
        check(title + " (stderr lines)", len(err.splitlines()), boxes + faults)
        # Arguments are the lines of one sheet too.
        status, out, _ = run(program, ["--refs", "--"] + typed)
        check(title + " (arguments)", (status, out), (want_status, want_out))

    # CR LF ends lines as LF does.
    check("CR LF", run(program, ["--refs"], "午饭 25\r\n晚饭 40\r\n合计\r\n"),
          (0, "午饭 25=25\n晚饭 40=40\n合计=65\n", ""))
    # An argument holding a LF is that many lines of the sheet.
    check("LF in an argument", run(program, ["--refs", "午饭 25\n晚饭 40", "合计"]),
          (0, "午饭 25=25\n晚饭 40=40\n合计=65\n", ""))

    # A stream is answered line by line: each answer arrives before the next line is sent.
    title, lines = cases[0]
    p = subprocess.Popen([program, "--refs"], stdin=subprocess.PIPE, stdout=subprocess.PIPE)
    for typed, written, _ in lines:
        p.stdin.write((typed + "\n").encode("utf-8"))
        p.stdin.flush()
        ready, _, _ = select.select([p.stdout], [], [], 10)
        answer = p.stdout.readline().decode("utf-8") if ready else "(no answer within 10 s)"
        check("stream: " + typed, answer, written + "\n")
    p.stdin.close()
    p.wait(timeout=10)

    for args in (["--refs", "--engine"], ["--engine", "--refs"], ["--rmb", "--refs"]):
        status, out, err = run(program, args + ["1"])
        check(" ".join(args), (status, out, "exclude each other" in err), (2, "", True))
    status, out, _ = run(program, ["--help"])
    check("--help describes --refs", (status, "--refs" in out and "找不到：" in out), (0, True))

    for failure in failures:
        print("FAIL: " + failure)
    if failures:
        print(f"{len(failures)} check(s) failed")
        return 1
    print(f"all cases passed ({len(cases)} sheets)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
