#!/usr/bin/env python3
"""tolvane-eval.exe in a console and in a pipe, under Wine.

Wine shows a program's console on the terminal it was started from, so a pseudo-terminal stands
in for a person's console window. Wine sets the console's code page from the locale, which here
is not Chinese: it cannot hold the full-width brackets at all, so only UTF-16 in and out (and the
wide command line) bring them through. Checks:
  - an argument with full-width brackets arrives intact and its answer reads right in the console;
  - a line typed into the console is read as typed and answered;
  - through a pipe the answer is UTF-8.
Exit 0 on success, 77 (skipped) when the program cannot run here.

Usage: windows_console_test.py EMULATOR... TOLVANE_EVAL_EXE
"""
import os
import pty
import re
import select
import subprocess
import sys
import termios
import time

SKIP = 77
EXPRESSION = "（1+2）*3"
ANSWER = "（1+2）*3=9"


def fail(message):
    print(f"FAIL: {message}", file=sys.stderr)
    sys.exit(1)


class Console:
    """A program on a pseudo-terminal: what it shows, what a person types."""

    def __init__(self, command):
        self.master, slave = pty.openpty()
        self.program = subprocess.Popen(command, stdin=slave, stdout=slave, stderr=slave,
                                        close_fds=True)
        os.close(slave)
        self.shown = b""

    def text(self):
        """The terminal's output so far, without its cursor and colour sequences."""
        return re.sub(rb"\x1b\[[0-9;?]*[A-Za-z]", b"", self.shown).decode("utf-8", "replace")

    def wait_for(self, wanted, timeout=30.0):
        deadline = time.monotonic() + timeout
        while wanted not in self.text() and time.monotonic() < deadline:
            ready, _, _ = select.select([self.master], [], [], 0.1)
            if ready:
                try:
                    chunk = os.read(self.master, 4096)
                except OSError:
                    break
                if not chunk:
                    break
                self.shown += chunk
        return wanted in self.text()

    def type(self, text):
        # Wine's console takes the terminal into raw mode once it is ready; what is typed before
        # that is lost.
        deadline = time.monotonic() + 30
        while termios.tcgetattr(self.master)[3] & termios.ICANON:
            if time.monotonic() > deadline:
                fail("the console never took the terminal")
            time.sleep(0.05)
        os.write(self.master, text.encode("utf-8"))

    def close(self):
        """Hangs up the terminal, which ends the input; returns the program's status."""
        os.close(self.master)
        try:
            return self.program.wait(timeout=30)
        except subprocess.TimeoutExpired:
            self.program.kill()
            self.program.wait()
            fail("the program did not end when its console closed")


def main():
    if len(sys.argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    command = sys.argv[1:]
    probe = subprocess.run(command + ["--version"], capture_output=True)
    if probe.returncode != 0:
        print(f"SKIP: {' '.join(command)} does not run here", file=sys.stderr)
        return SKIP

    # The argument, answered in the console.
    console = Console(command + [EXPRESSION])
    if not console.wait_for(ANSWER):
        fail(f"the console shows {console.text()!r}, want {ANSWER!r}")
    if console.close() != 0:
        fail("the argument's line gave no number")

    # A line typed into the console.
    console = Console(command)
    console.type(EXPRESSION + "\r")
    if not console.wait_for(ANSWER):
        fail(f"typed {EXPRESSION!r}, the console shows {console.text()!r}")
    console.close()

    # A pipe gets UTF-8.
    piped = subprocess.run(command + [EXPRESSION], capture_output=True, timeout=60)
    if piped.stdout.replace(b"\r\n", b"\n") != (ANSWER + "\n").encode("utf-8"):
        fail(f"through a pipe: {piped.stdout!r}")
    print("windows console: 3 passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
