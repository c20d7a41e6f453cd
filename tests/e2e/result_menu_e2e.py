#!/usr/bin/env python3
"""End-to-end check of the result entries of the sheet's context menu.

Starts tolvane on its own Xvfb display, evaluates a line, right-clicks its result, chooses each
of 复制结果, 复制为千分位 and 复制为人民币大写 with the keyboard and reads the clipboard with xclip
after each; then opens the menu with the Menu key and presses Ctrl+Shift+C, and checks that the
sheet's text did not change. Exit 0 on success, 77 (skipped) when the X tools are missing.

Usage: result_menu_e2e.py TOLVANE_BINARY [SCREENSHOT_DIR]
"""
import os
import subprocess
import sys
import time

from run_e2e import (STRIP_HEIGHT, Session, arguments, fail, geometry, read_ppm, start_server,
                     wait_for)

LINE = "1234000+680.32"
RESULT = "1234680.32"
ENTRIES = [  # (Up presses from the bottom of the menu, what the clipboard must hold)
    (3, RESULT),
    (2, "1,234,680.32"),
    (1, "壹佰贰拾叁万肆仟陆佰捌拾元零叁角贰分"),
]


def clipboard(session):
    return session.run("xclip", "-o", "-selection", "clipboard", check=False)


def put_on_clipboard(session, text):
    """Makes xclip own the clipboard with `text`, so a stale value can never pass a check."""
    subprocess.run(["xclip", "-i", "-selection", "clipboard"], input=text, text=True,
                   env=session.env, check=True, timeout=10)
    wait_for(f"{text!r} on the clipboard", lambda: clipboard(session) == text)


def expect_clipboard(session, want, what):
    deadline = time.monotonic() + 10
    got = None
    while time.monotonic() < deadline:
        got = clipboard(session)
        if got == want:
            print(f"{what}: {got}")
            return
        time.sleep(0.1)
    fail(f"{what}: the clipboard holds {got!r}, want {want!r}")


def last_text_row(session, shot_dir, window):
    """The screen point in the middle of the sheet's last line of text, found on a screenshot."""
    x, y, width, height = geometry(session, window)
    shot = os.path.join(shot_dir, "result-menu-sheet.png")
    session.run("import", "-window", "root", "-crop", f"{width}x{height}+{x}+{y}", "+repage", shot)
    ppm = os.path.join(shot_dir, "result-menu-sheet.ppm")
    session.run("convert", shot, ppm)
    w, h, pixels = read_ppm(ppm)
    rows = []
    for row in range(STRIP_HEIGHT + 2, h - 2):
        base = row * w * 3
        for col in range(2, w - 20):
            r, g, b = pixels[base + col * 3: base + col * 3 + 3]
            if (g > 160 and r < 100 and b < 100) or (r > 160 and g < 100 and b < 100):
                rows.append(row)
                break
    if not rows:
        return None
    # The rows of the last line: the run of text rows that ends at the last one.
    first = rows[-1]
    while first - 1 in rows:
        first -= 1
    return x + 60, y + (first + rows[-1]) // 2


def sheet_text(session):
    put_on_clipboard(session, "stale")
    session.xdotool("key", "ctrl+a", "ctrl+c")
    text = wait_for("the sheet on the clipboard",
                    lambda: (lambda t: t if t != "stale" else None)(clipboard(session)))
    session.xdotool("key", "ctrl+End")
    return text.replace("\r\n", "\n")


def main():
    binary, shot_dir = arguments(("Xvfb", "xdotool", "xclip", "import", "convert"))
    server, env = start_server()
    program = None
    try:
        session = Session(env)
        program, window, (x, y, width, height) = session.launch(binary)

        # A click below the text puts the caret on the empty line after the help text; Enter
        # leaves it on a new empty line below the result, so the right click must move it.
        session.click(x + width // 2, y + height - 30)
        session.xdotool("type", "--delay", "30", LINE)
        session.xdotool("key", "Return")
        point = wait_for("the evaluated line on the screen",
                         lambda: last_text_row(session, shot_dir, window))
        before = sheet_text(session)
        if f"\n{LINE}={RESULT}\n" not in before:
            fail(f"the sheet does not hold {LINE}={RESULT}: {before!r}")

        for ups, want in ENTRIES:
            put_on_clipboard(session, "stale")
            session.xdotool("mousemove", "--sync", str(point[0]), str(point[1]))
            session.xdotool("click", "3")
            time.sleep(0.3)
            # Off the menu, so only the keys choose the entry.
            session.xdotool("mousemove", "--sync", str(x + 5), str(y + 5))
            if ups == 1:
                session.run("import", "-window", "root",
                            os.path.join(shot_dir, "e2e-result-menu.png"))
            for _ in range(ups):
                session.xdotool("key", "Up")
            session.xdotool("key", "Return")
            expect_clipboard(session, want, f"right click, entry {len(ENTRIES) + 1 - ups} of 3")

        # The right click left the caret on the result's line: the Menu key opens the same
        # group there, and Ctrl+Shift+C copies without the menu and types nothing.
        put_on_clipboard(session, "stale")
        session.xdotool("key", "Menu")
        time.sleep(0.3)
        session.xdotool("key", "Up", "Up", "Return")
        expect_clipboard(session, ENTRIES[1][1], "Menu key, 复制为千分位")
        put_on_clipboard(session, "stale")
        session.xdotool("key", "ctrl+shift+c")
        expect_clipboard(session, RESULT, "Ctrl+Shift+C")
        after = sheet_text(session)
        if after != before:
            fail(f"the sheet changed:\n{before!r}\n{after!r}")

        session.close(program, x, y, width)
        print("result menu e2e: passed")
        return 0
    finally:
        if program and program.poll() is None:
            program.kill()
            program.wait()
        server.terminate()
        server.wait()


if __name__ == "__main__":
    sys.exit(main())
