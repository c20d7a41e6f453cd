#!/usr/bin/env python3
"""End-to-end check of the real program under a virtual X server.

Starts tolvane on its own Xvfb display, types two lines with xdotool as a person would, reads
the sheet back through the clipboard, checks the colours on a screenshot and closes the program
with its own close button. Exit 0 on success, 77 (skipped) when the X tools are missing.

Usage: run_e2e.py TOLVANE_BINARY [SCREENSHOT_DIR]
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

from xvfb import start_xvfb

SKIP = 77
TITLE = "Tolvane计算器"
STRIP_HEIGHT = 25


def fail(message):
    print(f"FAIL: {message}", file=sys.stderr)
    sys.exit(1)


def wait_for(what, probe, timeout=20.0, interval=0.1):
    """Polls probe() until it returns something truthy; fails with `what` after timeout."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        value = probe()
        if value:
            return value
        time.sleep(interval)
    fail(f"timed out waiting for {what}")


class Session:
    def __init__(self, env):
        self.env = env

    def run(self, *args, check=True):
        result = subprocess.run(list(args), env=self.env, capture_output=True, text=True,
                                timeout=30)
        if check and result.returncode != 0:
            fail(f"{' '.join(args)}: {result.stderr.strip()}")
        return result.stdout

    def xdotool(self, *args, check=True):
        return self.run("xdotool", *args, check=check)

    def launch(self, binary):
        """Starts the program (a path, or a command as a list: Wine and the program); returns it,
        its window and the window's (x, y, width, height)."""
        command = [binary] if isinstance(binary, str) else list(binary)
        program = subprocess.Popen(command, env=self.env, stdout=subprocess.PIPE,
                                   stderr=subprocess.STDOUT, text=True)

        def probe():
            out = self.xdotool("search", "--onlyvisible", "--pid", str(program.pid), "--name",
                               TITLE, check=False).split()
            return out[0] if out else None
        # Generous: a sanitizer build on a loaded machine can take many seconds to map.
        window = wait_for("the calculator window", probe, timeout=60)
        return program, window, geometry(self, window)

    def click(self, x, y):
        self.xdotool("mousemove", "--sync", str(x), str(y))
        self.xdotool("click", "1")

    def sheet_lines(self):
        """The whole sheet, through the clipboard."""
        self.xdotool("key", "ctrl+a", "ctrl+c")
        text = wait_for("the sheet on the clipboard",
                        lambda: self.run("xclip", "-o", "-selection", "clipboard", check=False))
        return text.replace("\r\n", "\n").split("\n")

    def window_names(self, program):
        """The names of the program's visible windows."""
        ids = self.xdotool("search", "--onlyvisible", "--pid", str(program.pid), "--name", "",
                           check=False).split()
        return [self.xdotool("getwindowname", window, check=False).strip() for window in ids]

    def wait_for_window(self, program, name):
        wait_for(f"a window named {name!r}", lambda: name in self.window_names(program))

    def close_button(self, x, y, width):
        """Clicks the window's own close button (26 pixels from the right edge, 5 down)."""
        self.click(x + width - 26 + 8, y + 5 + 7)

    def close(self, program, x, y, width):
        """Clicks the close button; the program must end with status 0."""
        self.close_button(x, y, width)
        try:
            status = program.wait(timeout=15)
        except subprocess.TimeoutExpired:
            fail("the program did not end after its close button was clicked")
        if status != 0:
            fail(f"the program ended with status {status}: {program.stdout.read()}")


def arguments(tools):
    """The program and the screenshot folder named on the command line. Exits with the usage
    (status 2) when the program is missing, as skipped when one of the X `tools` is."""
    if len(sys.argv) < 2:
        print(sys.modules["__main__"].__doc__, file=sys.stderr)
        sys.exit(2)
    for tool in tools:
        if not shutil.which(tool):
            print(f"SKIP: {tool} is not installed", file=sys.stderr)
            sys.exit(SKIP)
    shot_dir = sys.argv[2] if len(sys.argv) > 2 else tempfile.mkdtemp(prefix="tolvane-shots-")
    os.makedirs(shot_dir, exist_ok=True)
    return os.path.abspath(sys.argv[1]), shot_dir


def start_server():
    """A private Xvfb: (process, environment for programs on it)."""
    try:
        return start_xvfb()
    except RuntimeError as error:
        fail(str(error))


def private_home(env):
    """Points the program's home, data, settings and cache folders at a new temporary folder, so
    a run neither reads nor leaves anything of the user's; returns the folder."""
    home = tempfile.mkdtemp(prefix="tolvane-home-")
    env.update(HOME=home, XDG_DATA_HOME=os.path.join(home, "data"),
               XDG_CONFIG_HOME=os.path.join(home, "config"),
               XDG_CACHE_HOME=os.path.join(home, "cache"))
    return home


def tear_down(program, server, home=None):
    """Ends a run whatever happened: the program if it still runs, the X server, the home."""
    if program and program.poll() is None:
        program.kill()
        program.wait()
    server.terminate()
    server.wait()
    if home:
        shutil.rmtree(home, ignore_errors=True)


def geometry(session, window):
    values = {}
    for line in session.xdotool("getwindowgeometry", "--shell", window).splitlines():
        key, _, value = line.partition("=")
        values[key] = int(value) if value.lstrip("-").isdigit() else value
    return values["X"], values["Y"], values["WIDTH"], values["HEIGHT"]


def read_ppm(path):
    """The pixels of a binary PPM as (width, height, bytes)."""
    with open(path, "rb") as f:
        data = f.read()
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos)
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    if fields[0] != b"P6" or fields[3] != b"255":
        fail(f"unexpected picture format {fields}")
    width, height = int(fields[1]), int(fields[2])
    return width, height, data[pos + 1:]


def sheet_colours(session, shot_dir, window):
    """Counts the sheet's pixels on a screenshot; returns (counts, what is wrong or None)."""
    x, y, width, height = geometry(session, window)
    shot = os.path.join(shot_dir, "e2e-window.png")
    session.run("import", "-window", "root", "-crop", f"{width}x{height}+{x}+{y}", "+repage", shot)
    ppm = os.path.join(shot_dir, "e2e-window.ppm")
    session.run("convert", shot, ppm)
    w, h, pixels = read_ppm(ppm)
    black = lime = red = other = 0
    # The sheet: below the caption strip, clear of the scroll bar on the right.
    for row in range(STRIP_HEIGHT + 2, h - 2):
        base = row * w * 3
        for col in range(2, w - 20):
            r, g, b = pixels[base + col * 3: base + col * 3 + 3]
            if r < 40 and g < 40 and b < 40:
                black += 1
            elif g > 160 and r < 100 and b < 100:
                lime += 1
            elif r > 160 and g < 100 and b < 100:
                red += 1
            else:
                other += 1
    total = black + lime + red + other
    counts = f"black {black}, lime {lime}, red {red}, other {other}"
    if black < 0.7 * total:
        return counts, "the sheet is not black"
    if lime < 2000:
        return counts, "too little lime text on the sheet"
    if red < 40:
        return counts, "the operators are not red"
    # Anti-aliased edges blend lime and red into black; anything else means a wrong colour.
    if other > 0.15 * total:
        return counts, "the sheet shows colours other than lime, red and black"
    return counts, None


def check_colours(session, shot_dir, window):
    # A busy machine may repaint late: look again a few times before judging.
    for _ in range(20):
        counts, problem = sheet_colours(session, shot_dir, window)
        if problem is None:
            print(f"sheet pixels: {counts}")
            return
        time.sleep(0.25)
    fail(f"{problem} ({counts})")


def main():
    binary, shot_dir = arguments(("Xvfb", "xdotool", "xclip", "import", "convert"))
    server, env = start_server()
    program = None
    try:
        session = Session(env)
        program, window, (x, y, width, height) = session.launch(binary)

        # A click below the text puts the caret on the empty line after the help text.
        session.click(x + width // 2, y + height - 30)
        session.xdotool("type", "--delay", "30", "1+2=")
        session.xdotool("type", "--delay", "30", "sin(1)")
        session.xdotool("key", "Return")
        check_colours(session, shot_dir, window)

        lines = session.sheet_lines()
        if len(lines) < 12:
            fail(f"the sheet has {len(lines)} lines: {lines!r}")
        if lines[0] != "*" * 64:
            fail(f"the help text is missing: {lines[0]!r}")
        if lines[10] != "1+2=3":
            fail(f"line 11 reads {lines[10]!r}, want '1+2=3'")
        if lines[11] != "sin(1)=0.841470984807897":
            fail(f"line 12 reads {lines[11]!r}, want 'sin(1)=0.841470984807897'")
        print("sheet read back:", lines[10], "|", lines[11])

        session.close(program, x, y, width)
        print("e2e: 1 passed, 0 failed")
        return 0
    finally:
        if program and program.poll() is None:
            program.kill()
            program.wait()
        server.terminate()
        server.wait()


if __name__ == "__main__":
    sys.exit(main())
