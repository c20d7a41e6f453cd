#!/usr/bin/env python3
"""End-to-end check of a session as a person has it, in the real program on its own Xvfb display.

A line too long for the window wraps at its edge, with no horizontal scroll bar, and stays one
line: Enter evaluates it whole, Ctrl+Z and Ctrl+Y take the evaluation back and redo it, and after
Ctrl+A a right click on it still offers 复制结果. The sheet is saved with Ctrl+S; Ctrl+O opens
another file and Ctrl+Z brings back the saved sheet with its own name in the title. With a change
not yet saved, the close button asks whether to save it: 取消 (Escape) keeps the window, 保存
(Return) saves the file and ends the program. Screenshots go to SCREENSHOT_DIR. Exit 0 on
success, 77 (skipped) when the X tools are missing.

Usage: session_e2e.py TOLVANE_BINARY [SCREENSHOT_DIR]
"""
import os
import subprocess
import sys
import time

from result_menu_e2e import clipboard, expect_clipboard, last_text_row, put_on_clipboard
from run_e2e import (STRIP_HEIGHT, TITLE, Session, arguments, fail, geometry, private_home,
                     read_ppm, start_server, tear_down, wait_for)

HELP_LINES = 10
TERMS = 90
LONG_LINE = "1" + "+1" * (TERMS - 1)
EVALUATED = f"{LONG_LINE}={TERMS}"


def screenshot(session, shot_dir, window, name):
    """The window's pixels: (width, height, bytes); the picture is kept as NAME.png."""
    x, y, width, height = geometry(session, window)
    shot = os.path.join(shot_dir, f"{name}.png")
    session.run("import", "-window", "root", "-crop", f"{width}x{height}+{x}+{y}", "+repage", shot)
    ppm = os.path.join(shot_dir, f"{name}.ppm")
    session.run("convert", shot, ppm)
    return read_ppm(ppm)


def text_row_bands(pixels_of):
    """Bands of consecutive pixel rows of the sheet that hold lime or red text."""
    w, h, pixels = pixels_of
    rows = []
    for row in range(STRIP_HEIGHT + 2, h - 2):
        base = row * w * 3
        for col in range(2, w - 20):
            r, g, b = pixels[base + col * 3: base + col * 3 + 3]
            if (g > 160 and r < 100 and b < 100) or (r > 160 and g < 100 and b < 100):
                rows.append(row)
                break
    bands = []
    for row in rows:
        if bands and row == bands[-1][1] + 1:
            bands[-1][1] = row
        else:
            bands.append([row, row])
    return bands


def check_wrapping(session, shot_dir, window):
    """The evaluated long line takes several rows and nothing scrolls sideways: the sheet's last
    rows, where a horizontal scroll bar would be, are as black as the rest."""
    for _ in range(20):
        w, h, pixels = screenshot(session, shot_dir, window, "e2e-wrapped")
        bands = text_row_bands((w, h, pixels))
        bottom = [pixels[(row * w + col) * 3: (row * w + col) * 3 + 3]
                  for row in range(h - 16, h - 2) for col in range(2, w - 20)]
        grey = sum(1 for r, g, b in bottom if 60 < r < 230 and abs(r - g) < 20 and abs(g - b) < 20)
        # The help text's ten rows, then the long line's.
        if len(bands) >= HELP_LINES + 3 and grey < len(bottom) // 20:
            print(f"the long line takes {len(bands) - HELP_LINES} rows; no scroll bar below")
            return
        time.sleep(0.25)
    fail(f"the long line does not wrap or a scroll bar shows: {len(bands)} text rows, "
         f"{grey} grey pixels in the bottom rows")


def sheet_lines(session):
    lines = session.sheet_lines()
    session.xdotool("key", "ctrl+End")
    return lines


def expect_line(session, index, want, what):
    lines = wait_for(f"line {index + 1} to read {want!r} ({what})",
                     lambda: (lambda l: l if len(l) > index and l[index] == want else None)(
                         sheet_lines(session)))
    print(f"{what}: line {index + 1} reads {lines[index][:20]}…{lines[index][-8:]}")


def main():
    binary, shot_dir = arguments(("Xvfb", "xdotool", "xclip", "import", "convert"))
    server, env = start_server()
    home = private_home(env)
    program = None
    try:
        session = Session(env)
        program, window, (x, y, width, height) = session.launch(binary)
        session.xdotool("windowfocus", "--sync", window)
        session.click(x + width // 2, y + height - 30)

        # A long line wraps and is evaluated whole; Ctrl+Z and Ctrl+Y take it back and redo it.
        session.xdotool("type", "--delay", "5", LONG_LINE)
        session.xdotool("key", "Return")
        check_wrapping(session, shot_dir, window)
        expect_line(session, HELP_LINES, EVALUATED, "Enter")
        session.xdotool("key", "ctrl+z")
        expect_line(session, HELP_LINES, LONG_LINE, "Ctrl+Z")
        session.xdotool("key", "ctrl+y")
        expect_line(session, HELP_LINES, EVALUATED, "Ctrl+Y")

        # Ctrl+A, then a right click on the result at the end of the wrapped line.
        point = wait_for("the evaluated line on the screen",
                         lambda: last_text_row(session, shot_dir, window))
        session.xdotool("key", "ctrl+a")
        put_on_clipboard(session, "stale")
        session.xdotool("mousemove", "--sync", str(point[0]), str(point[1]))
        session.xdotool("click", "3")
        time.sleep(0.3)
        session.xdotool("mousemove", "--sync", str(x + 5), str(y + 5))
        session.run("import", "-window", "root",
                    os.path.join(shot_dir, "e2e-menu-in-selection.png"))
        session.xdotool("key", "Up", "Up", "Up", "Return")
        expect_clipboard(session, str(TERMS), "复制结果 with everything selected")
        session.xdotool("key", "ctrl+End")

        # Saved, then another file opened over it, then Ctrl+Z: the saved sheet and its name.
        saved = os.path.join(home, "budget.txt")
        session.xdotool("key", "ctrl+s")
        session.wait_for_window(program, "另存为")
        session.xdotool("type", "--delay", "20", saved)
        session.xdotool("key", "Return")
        session.wait_for_window(program, "budget.txt - " + TITLE)
        other = os.path.join(home, "windows.txt")
        with open(other, "wb") as file:
            file.write("房租 3500*12=42000\r\n".encode("gb18030"))
        session.xdotool("windowfocus", "--sync", window)
        session.xdotool("key", "ctrl+o")
        session.wait_for_window(program, "打开")
        session.xdotool("type", "--delay", "20", other)
        session.xdotool("key", "Return")
        session.wait_for_window(program, "windows.txt - " + TITLE)
        session.xdotool("windowfocus", "--sync", window)
        session.xdotool("key", "ctrl+z")
        session.wait_for_window(program, "budget.txt - " + TITLE)
        expect_line(session, HELP_LINES, EVALUATED, "Ctrl+Z after 打开…")
        print("Ctrl+Z after 打开… brought back the saved sheet and its name")

        # A change not saved: the close button asks; 取消 keeps the window, 保存 saves and ends.
        session.xdotool("type", "--delay", "30", "7*6")
        session.wait_for_window(program, "*budget.txt - " + TITLE)
        session.close_button(x, y, width)
        session.wait_for_window(program, TITLE)
        time.sleep(0.3)
        session.run("import", "-window", "root", os.path.join(shot_dir, "e2e-save-question.png"))
        session.xdotool("key", "Escape")
        wait_for("the question to close", lambda: TITLE not in session.window_names(program))
        if program.poll() is not None:
            fail("取消 ended the program")
        if "*budget.txt - " + TITLE not in session.window_names(program):
            fail(f"after 取消 the windows are {session.window_names(program)}")
        print("取消 kept the window and the change")
        session.close_button(x, y, width)
        session.wait_for_window(program, TITLE)
        session.xdotool("key", "Return")
        try:
            status = program.wait(timeout=15)
        except subprocess.TimeoutExpired:
            fail("保存 did not end the program")
        if status != 0:
            fail(f"the program ended with status {status}")
        with open(saved, encoding="utf-8") as file:
            if not file.read().endswith(f"{EVALUATED}\n7*6"):
                fail("保存 did not write the change")
        print("保存 saved the change and ended the program")
        print("session e2e: passed")
        return 0
    finally:
        tear_down(program, server, home)


if __name__ == "__main__":
    sys.exit(main())
