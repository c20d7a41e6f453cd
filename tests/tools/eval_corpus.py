#!/usr/bin/env python3
"""A large, seeded corpus of sheet lines for tolvane-eval, and a comparison of
two tolvane-eval programs on it: a change that must not change behaviour
(a refactoring of the engine or the line logic) is run through both.

    tests/tools/eval_corpus.py write FILE [--lines 250000] [--seed 9]
    tests/tools/eval_corpus.py compare OLD_EVAL NEW_EVAL [--lines 250000] [--seed 9] [--show 10]

`write` stores the corpus (one line per line, bytes as generated). `compare`
runs each program on the same corpus in sheet mode and in engine mode
(--engine) and compares standard output, standard error and exit status byte
for byte; it prints one summary row per mode and exits 1 on any difference.

The corpus calls every function with good and bad arguments, right and wrong
argument counts and case, nests calls and operators, defines "@@" variables
(a few lines with enough of them to pass the named values' index), writes
numbers at the edges of the double range and beyond, and adds faulty lines:
unbalanced parentheses, stray characters, full-width and non-UTF-8 bytes,
earlier results, blanks. Every third line leans on the transcendental
functions (sin, cos, tan, their inverses, exp, the logarithms, fractional
powers) with arguments of up to 20 digits across their domains: near
multiples of pi/2, near 1 and -1, near the overflow of exp, huge and tiny.
The same seed gives the same bytes on any machine.
"""
import argparse
import random
import subprocess
import sys
import tempfile

# name, declared argument count (0 = any number)
FUNCTIONS = [
    ("sqrt", 1), ("abs", 1), ("exp", 1), ("power", 2), ("sin", 1), ("cos", 1), ("tan", 1),
    ("arcsin", 1), ("arccos", 1), ("arctan", 1), ("degrad", 1), ("raddeg", 1), ("costh", 3),
    ("s_tria", 3), ("s_circ", 1), ("s_ellip", 2), ("s_rect", 2), ("s_poly", 2), ("log2", 1),
    ("log10", 1), ("logN", 2), ("ln", 1), ("int", 1), ("trunc", 1), ("round", 1),
    ("roundto", 2), ("frac", 1), ("mod", 2), ("max", 0), ("min", 0), ("sum", 0), ("avg", 0),
    ("stddev", 0), ("sn", 3), ("sqn", 3), ("intax", 1), ("arcintax", 1), ("morrep", 5),
    ("pdisplanes", 4), ("pdisspace", 6), ("p_line", 5), ("p_planes", 7),
]

# Arguments that sit on or beyond a function's domain bounds.
EDGE_ARGUMENTS = {
    "sqrt": ["0", "-1", "-0", "1E-5"],
    "arcsin": ["1", "-1", "1.1", "-1.0000001"],
    "arccos": ["1", "-1", "1.1", "-2"],
    "log2": ["0", "-1", "8", "1"],
    "log10": ["0", "-3", "1000"],
    "ln": ["0", "e", "-e"],
    "logN": ["2,8", "1,8", "0,8", "2,-8", "10,1", "2", "2,"],
    "power": ["2,10", "0,0", "0,-1", "-8,0.5", "10,308", "10,309", "2", "2,", "-2,3"],
    "roundto": ["3.14159,-2", "5,15", "5,14", "5,-14", "5,-15", "5,0.5", "2.675,-2",
                "1E18,0", "2.5,0", "2"],
    "mod": ["7,3", "-7,3", "7,0", "7,-3", "7.5,2", "7,2.5", "9223372036854775807,2",
            "1" + "0" * 19 + ",3", "7"],
    "trunc": ["-2.7", "9223372036854775807", "9223372036854775808", "-9223372036854775808",
              "1" + "0" * 20],
    "round": ["2.5", "3.5", "-2.5", "0.5", "9223372036854775807.5", "1" + "0" * 20],
    "int": ["-2.7", "1" + "0" * 30],
    "frac": ["-2.7", "3.25"],
    "exp": ["709", "710", "11356", "-11400", "1"],
    "s_circ": ["1", "0", "-1", "1E-200", "1" + "0" * 160],
    "s_ellip": ["2,3", "0,3", "2,-3", "2", "2,"],
    "s_rect": ["2,3", "0,3", "2,0", "2", "2,"],
    "s_poly": ["1,4", "1,2", "1,3.5", "0,4", "2,6", "1"],
    "costh": ["3,4,5", "1,1,2", "1,2,3", "0,1,1", "1,1,1", "3,4", "3,4,5,6"],
    "s_tria": ["3,4,5", "1,1,2", "-3,4,5", "1,1,1", "3,4"],
    "sn": ["1,1,100", "1,1,0", "1,1,2.5", "1,1", "1,2,3,4"],
    "sqn": ["1,2,3", "1,1,3", "1,-1,2147483648", "1,2,2000", "1,2,0", "1,2"],
    "morrep": ["120000,0.06,10,0,1", "120000,0.06,10,1,120", "120000,0.06,10,1,121",
               "0,0.06,10,0,1", "120000,0.06,10.5,0,1", "120000,6%,10,0,1", "1,2"],
    "intax": ["3500", "5000", "12500", "83500", "100000", "-5"],
    "arcintax": ["45", "345", "0", "-1", "22495", "100000"],
    "pdisplanes": ["0,0,3,4", "0,0,3"],
    "pdisspace": ["0,0,0,1,2,2", "1,2,3"],
    "p_line": ["0,0,3,4,10", "0,0,0,0,1", "1,2"],
    "p_planes": ["1,1,1,0,0,1,0", "1,1,1,0,0,0,5", "1,2,3"],
    "stddev": ["5", "2,4,4,4,5,5,7,9", "1E200,-1E200"],
    "max": ["", ",1", "1,", "1,,3", "-1,2"],
    "degrad": ["180", "1E308"],
    "raddeg": ["pi", "1E306"],
}

# Numbers at the edges: the double range and beyond, long digit runs, the
# 15-digit rounding, subnormals, forms the checker refuses.
EDGE_NUMBERS = [
    "0", "-0", "007.50", "0.1", "0.0001", "0.00001", "999999999999999", "1000000000000000",
    "9007199254740993", "18446744073709551617", "1.7976931348623157", "2.2250738585072014",
    "1" + "0" * 308, "1" + "0" * 309, "17976931348623157" + "0" * 292,
    "17976931348623159" + "0" * 292, "0." + "0" * 307 + "1", "0." + "0" * 323 + "5",
    "0." + "0" * 330 + "1", "123456789012345678901234567890", "0.999999999999999949",
    "1.23456789012345678", "5.000000000000005", "150", "151", "170", "4.9E-324", "1E5", "1e5",
    ".5", "5.", "1..2", "3.5.1",
]

NAMED = ["pi", "PI", "e", "E", "Pi", "pi2", "2pi"]
OPERATORS = "+-*/^"
FAULTS = ["+", "*", "(", ")", "..", "abc", "（1）", "，", "\t", "=", "#", "~", "@", "$",
          "\u00e4", "\u4e00", "\udcff", "\udce4", ",", "()", "!!", "%%", "--", "**", "^^", "/0"]


def number(rng):
    kind = rng.random()
    if kind < 0.45:
        return str(rng.randint(0, 999))
    if kind < 0.7:
        return f"{rng.uniform(0, 1000):.{rng.randint(1, 8)}f}"
    if kind < 0.8:
        return rng.choice(NAMED[:4])
    if kind < 0.95:
        return rng.choice(EDGE_NUMBERS[:30])
    return rng.choice(EDGE_NUMBERS)


def arguments(rng, name, declared, depth):
    kind = rng.random()
    if kind < 0.35 and name in EDGE_ARGUMENTS:
        return rng.choice(EDGE_ARGUMENTS[name])
    if declared == 0:
        count = rng.choice([1, 2, 3, 5, 8, rng.randint(1, 40)])
    elif kind < 0.9:
        count = declared
    else:
        count = max(0, declared + rng.choice([-1, 1, 2]))
    return ",".join(expression(rng, depth + 1) for _ in range(count))


def call(rng, depth):
    name, declared = rng.choice(FUNCTIONS)
    if rng.random() < 0.03:
        name = rng.choice([name.upper(), name.capitalize(), "logn", "LOG2", name + "x", "foo"])
    args = arguments(rng, name, declared, depth)
    if rng.random() < 0.02:
        args = args.replace(",", " , ")
    return f"{name}({args})"


def expression(rng, depth=0):
    if depth > 4 or rng.random() < 0.25 + 0.1 * depth:
        return number(rng)
    kind = rng.random()
    if kind < 0.35:
        return f"{expression(rng, depth + 1)}{rng.choice(OPERATORS)}{expression(rng, depth + 1)}"
    if kind < 0.45:
        return f"({expression(rng, depth + 1)})"
    if kind < 0.75:
        return call(rng, depth)
    if kind < 0.85:
        return f"{rng.choice(['-', '+', '--', '-+'])}{expression(rng, depth + 1)}"
    return f"{number(rng)}{rng.choice(['%', '!', '!!', '%%', ''])}"


TRANSCENDENTAL = ["sin", "cos", "tan", "arctan", "arcsin", "arccos", "exp", "ln", "log2", "log10"]
HALF_PI = "1.57079632679489661923132169163975144"


def digits(rng, count):
    return "".join(rng.choice("0123456789") for _ in range(count))


def decimal(rng, low, high):
    """A decimal of 1 to 20 significant digits, magnitude 10^low to 10^high."""
    power = rng.randint(low, high)
    text = str(rng.randint(1, 9)) + digits(rng, rng.randint(0, 19))
    if power >= len(text) - 1:
        return text + "0" * (power - len(text) + 1)
    if power >= 0:
        return text[:power + 1] + "." + text[power + 1:]
    return "0." + "0" * (-power - 1) + text


def near_half_pi_multiple(rng):
    """k * pi/2 for a whole k, cut to 10 to 20 significant digits."""
    from decimal import Decimal, getcontext
    getcontext().prec = 40
    k = rng.choice([1, 2, 3, 4, rng.randint(1, 100), rng.randint(1, 10 ** 6), 10 ** rng.randint(3, 12)])
    value = Decimal(HALF_PI) * k
    text = format(value, "f")
    keep = rng.randint(10, 20) + (1 if "." in text[: rng.randint(10, 20) + 1] else 0)
    return text[:max(keep, text.index(".") + 2)]


def transcendental_argument(rng, name):
    kind = rng.random()
    if name in ("arcsin", "arccos"):
        if kind < 0.4:
            return decimal(rng, -20, -1)
        if kind < 0.8:
            return "0." + "9" * rng.randint(1, 19) + digits(rng, rng.randint(0, 3))
        return rng.choice(["1", "0", "0.5", "1.0000000001", "0.70710678118654752"])
    if name == "exp":
        if kind < 0.5:
            return decimal(rng, -20, 2)
        if kind < 0.8:
            return rng.choice(["709.78", "709.7827128933", "11356.52", "11357", "-745.13",
                               "-11355.1", "-11400", "-708.39"]) + digits(rng, rng.randint(0, 4))
        return decimal(rng, 2, 4)
    if name in ("ln", "log2", "log10"):
        if kind < 0.3:
            return "1." + "0" * rng.randint(1, 15) + str(rng.randint(1, 9)) + digits(rng, 3)
        if kind < 0.4:
            return "0." + "9" * rng.randint(1, 15) + digits(rng, 3)
        return decimal(rng, -300, 300) if kind < 0.5 else decimal(rng, -20, 22)
    if name == "arctan":
        return decimal(rng, -20, 22)
    # sin, cos, tan
    if kind < 0.35:
        return near_half_pi_multiple(rng)
    if kind < 0.45:
        return decimal(rng, 15, 300)
    return decimal(rng, -20, 22)


def transcendental(rng):
    """A line that leans on the transcendental functions."""
    def one():
        name = rng.choice(TRANSCENDENTAL)
        argument = transcendental_argument(rng, name)
        if rng.random() < 0.2:
            argument = "-" + argument
        return f"{name}({argument})"

    kind = rng.random()
    if kind < 0.45:
        return one()
    if kind < 0.6:
        return f"{one()}{rng.choice(OPERATORS)}{one()}"
    if kind < 0.7:
        return f"{rng.choice(TRANSCENDENTAL)}({one()})"
    if kind < 0.8:
        base = decimal(rng, -5, 5)
        exponent = decimal(rng, -3, 3)
        return (f"power({base},{'-' if rng.random() < 0.3 else ''}{exponent})"
                if rng.random() < 0.5 else f"{base}^{exponent}")
    if kind < 0.85:
        return f"logN({decimal(rng, -3, 3)},{decimal(rng, -20, 20)})"
    if kind < 0.9:
        return f"s_poly({decimal(rng, -2, 3)},{rng.randint(3, 10 ** rng.randint(1, 9))})"
    if kind < 0.95:
        return f"{one()}@@a={decimal(rng, -3, 3)}"
    return f"{rng.choice(['degrad', 'raddeg'])}({decimal(rng, -10, 20)})"


def definitions(rng):
    """The text behind "@@": mostly valid items, some that are skipped."""
    kind = rng.random()
    if kind < 0.1:  # enough names to pass the index threshold of the named values
        items = [f"v{k}={rng.randint(-99, 99)}" for k in range(rng.randint(12, 40))]
        items += ["a=2", "b=3", "v3=-1"]
    else:
        items = [f"a={number(rng)}", f"b={rng.choice(['-5', '0.5', '1E20', '0.00001', '3'])}"]
        items += rng.sample(["r=2", "h=5", "x_1=4", "pi=3", "E=1", "ab=1", "_a=1", "1a=2",
                             "a=2*3", "a==1", "c", "", "d=", "a=7", "e=10"], rng.randint(0, 4))
    rng.shuffle(items)
    return ",".join(items)


def mutate(rng, text):
    """One to three edits: a fault inserted, a character dropped or doubled."""
    chars = list(text)
    for _ in range(rng.randint(1, 3)):
        at = rng.randint(0, len(chars))
        kind = rng.random()
        if kind < 0.5:
            chars.insert(at, rng.choice(FAULTS))
        elif chars and at < len(chars):
            if kind < 0.8:
                del chars[at]
            else:
                chars.insert(at, chars[at])
    return "".join(chars)


def long_line(rng):
    n = rng.choice([500, 2000, 5000])
    kind = rng.randrange(5)
    if kind == 0:
        return "(" * n + "1+2" + ")" * n
    if kind == 1:
        return rng.choice(["max", "sum", "avg", "stddev", "min"]) + "(" + ",".join(
            number(rng) for _ in range(n)) + ")"
    if kind == 2:
        return "abs(" * (n // 10) + "-1" + ")" * (n // 10)
    if kind == 3:
        return "0" + "+pi" * (n // 3)
    return "-" * n + "1"


def line(rng):
    kind = rng.random()
    if kind < 0.001:
        return long_line(rng)
    text = expression(rng)
    if kind < 0.12:
        vars_text = rng.choice(["a*b+", "a+", "x_1*", "v3+v10*", "pi*r^2+", ""]) + text
        return vars_text + "@@" + definitions(rng)
    if kind < 0.2:
        return text + "=" + number(rng) + rng.choice(["", "=", "=5"])
    if kind < 0.32:
        return mutate(rng, text)
    if kind < 0.36:
        return " " + text.replace("+", " + ") + rng.choice(["", " ", "\r"])
    if kind < 0.37:
        return rng.choice(["", " ", "   ", "=", "=3", "@@a=1", "\t"])
    return text


def corpus(lines, seed):
    rng = random.Random(seed)
    heavy = random.Random(seed * 7919 + 1)  # its own stream: the other lines stay as they were
    out = []
    for name, declared in FUNCTIONS:  # every function at least once each way
        for args in EDGE_ARGUMENTS.get(name, []) + ["", "1", "1,2", "-1,2,3"]:
            out.append(f"{name}({args})")
        out.append(f"{name.upper()}(1)")
    while len(out) < lines:
        out.append(transcendental(heavy) if len(out) % 3 == 2 else line(rng))
    data = "\n".join(out[:lines]) + "\n"
    return data.encode("utf-8", errors="surrogateescape")


# Words of an expense list: labels, and words that name nothing.
LABELS = ["早饭", "午饭", "晚饭", "打车", "地铁", "房租", "水电", "话费", "咖啡", "礼物", "药", "𠀀"]
STRAYS = ["夜宵", "宵夜", "今天", "很累"]


def reference_line(rng):
    """A line of a sheet read with references (tolvane-eval --refs): headings, comments,
    notes, labelled entries, plain lines and lines that use 上行, 小计, 合计 and labels."""
    kind = rng.random()
    if kind < 0.04:
        return rng.choice(["# ", "#", "  # "]) + rng.choice(LABELS) + rng.choice(["", "=1", " 5"])
    if kind < 0.08:
        return rng.choice(["", "", "   ", "\t", "\u3000"])
    if kind < 0.10:
        return rng.choice(["// ", "//", " // "]) + rng.choice(LABELS + ["x=1"])
    if kind < 0.13:
        return rng.choice(["今天很累", "记得报销", "注意：下周交", "午饭 很好", "夜宵+宵夜"])
    if kind < 0.35:
        return line(rng)
    comment = rng.choice(["", "", "", " // " + rng.choice(LABELS + ["a=b"])])
    old = rng.choice(["", "", "=0", "=" + number(rng), "=找不到：夜宵"])
    if kind < 0.65:
        label = rng.choice(LABELS + ["Lunch", "上行", "1"])
        separator = rng.choice(["：", ":", " ", "\t", "\u3000", " ："])
        value = rng.choice([number(rng), expression(rng), "-" + number(rng), "1/0", "abc"])
        return label + separator + value + comment + old
    names = LABELS + STRAYS + ["上行", "上行", "小计", "合计"]
    terms = [rng.choice(names) if rng.random() < 0.7 else rng.choice([number(rng), expression(rng)])
             for _ in range(rng.randint(1, 3))]
    text = terms[0]
    for term in terms[1:]:
        text += rng.choice(["+", "-", "*", "/", "^", " ", ""]) + term
    if rng.random() < 0.1:
        text = rng.choice(["sqrt(", "max(1,", "abs(-", "（"]) + text + rng.choice([")", "）"])
    if rng.random() < 0.05:
        text += "*n@@n=" + number(rng)
    if rng.random() < 0.3:
        text = rng.choice(LABELS) + rng.choice(["：", " "]) + text
    return text + comment + old


def reference_corpus(lines, seed):
    """Sheets of reference_line()s, one after another: each heading starts a new block."""
    rng = random.Random(seed * 104729 + 3)
    out = [reference_line(rng) for _ in range(lines)]
    data = "\n".join(out) + "\n"
    return data.encode("utf-8", errors="surrogateescape")


def run(program, args, data):
    with tempfile.TemporaryFile() as stdin:
        stdin.write(data)
        stdin.seek(0)
        done = subprocess.run([program] + args, stdin=stdin, capture_output=True, check=False)
    return done.stdout, done.stderr, done.returncode


def compare(old, new, data, show=10):
    same = True
    for mode in ([], ["--engine"]):
        before = run(old, mode, data)
        after = run(new, mode, data)
        name = "engine" if mode else "sheet"
        rows = before[0].count(b"\n")
        verdict = "identical" if before == after else "DIFFERENT"
        print(f"{name:6} mode: {rows} output lines, {len(before[0])} bytes out, "
              f"{len(before[1])} bytes err, status {before[2]}: {verdict}")
        if before != after:
            same = False
            old_lines = before[0].split(b"\n")
            new_lines = after[0].split(b"\n")
            input_lines = data.split(b"\n")
            shown = 0
            print(f"  {sum(a != b for a, b in zip(old_lines, new_lines))} lines differ")
            for k, (a, b) in enumerate(zip(old_lines, new_lines)):
                if a != b and shown < show:
                    print(f"  line {k + 1}: {input_lines[k][:120]!r}\n    old {a[:160]!r}\n"
                          f"    new {b[:160]!r}")
                    shown += 1
            if before[2] != after[2]:
                print(f"  status: old {before[2]}, new {after[2]}")
            if before[1] != after[1]:
                print("  standard error differs")
    return same


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    sub = parser.add_subparsers(dest="command", required=True)
    write = sub.add_parser("write")
    write.add_argument("file")
    cmp_parser = sub.add_parser("compare")
    cmp_parser.add_argument("old")
    cmp_parser.add_argument("new")
    cmp_parser.add_argument("--show", type=int, default=10, help="differing lines to print")
    for p in (write, cmp_parser):
        p.add_argument("--lines", type=int, default=250_000)
        p.add_argument("--seed", type=int, default=9)
    args = parser.parse_args()

    data = corpus(args.lines, args.seed)
    if args.command == "write":
        with open(args.file, "wb") as out:
            out.write(data)
        return 0
    return 0 if compare(args.old, args.new, data, args.show) else 1


if __name__ == "__main__":
    sys.exit(main())
