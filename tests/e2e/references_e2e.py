#!/usr/bin/env python3
"""End-to-end check of 引用与合计 and 全部重算 in the real program on its own Xvfb display.

The switch is turned on through the function menu, an expense list is typed (labels, a comment,
小计, 合计, 上行, a label used as a name) and read back through the clipboard; an amount is then
changed and F9 brings every result below it up to date, and one Ctrl+Z takes all of that back.
The program is closed and started again with the same settings folder: the switch is still on.
Screenshots go to SCREENSHOT_DIR. Exit 0 on success, 77 (skipped) when the X tools are missing.

Usage: references_e2e.py TOLVANE_BINARY [SCREENSHOT_DIR]
"""
import os
import sys
import time

from run_e2e import Session, arguments, fail, private_home, start_server, tear_down, wait_for

HELP_LINES = 10
TYPED = ["早饭 8.5", "午饭：25+13", "晚饭 40 // 加班", "小计", "含税：上行*1.06", "午饭+晚饭", "合计"]
WRITTEN = ["早饭 8.5=8.5", "午饭：25+13=38", "晚饭 40 // 加班=40", "小计=86.5",
           "含税：上行*1.06=91.69", "午饭+晚饭=78", "合计=86.5"]
# 午饭 becomes 125+13; F9 brings 小计, the line using it, the sum of labels and 合计 along.
RECALCULATED = ["早饭 8.5=8.5", "午饭：125+13=138", "晚饭 40 // 加班=40", "小计=186.5",
                "含税：上行*1.06=197.69", "午饭+晚饭=178", "合计=186.5"]


def user_lines(session):
    lines = session.sheet_lines()
    session.xdotool("key", "ctrl+End")
    return lines[HELP_LINES:HELP_LINES + len(TYPED)]


def expect_lines(session, want, what):
    got = []

    def probe():
        got[:] = user_lines(session)
        return got == want
    deadline = time.monotonic() + 10
    while time.monotonic() < deadline:
        if probe():
            print(f"{what}: {' | '.join(want)}")
            return
        time.sleep(0.2)
    fail(f"{what}: the sheet reads {got!r}, want {want!r}")


def open_menu_item(session, x, y, width, downs):
    """Opens the function menu with its caption button and chooses the item `downs` down."""
    session.click(x + width - 96 + 8, y + 12)
    time.sleep(0.4)
    session.xdotool("key", "--delay", "80", *(["Down"] * downs), "Return")
    time.sleep(0.2)


def main():
    binary, shot_dir = arguments(("Xvfb", "xdotool", "xclip", "import"))
    server, env = start_server()
    home = private_home(env)
    program = None
    try:
        session = Session(env)
        program, window, (x, y, width, height) = session.launch(binary)
        session.xdotool("windowfocus", "--sync", window)
        open_menu_item(session, x, y, width, 2)  # 常用函数, 引用与合计
        session.click(x + width // 2, y + height - 30)
        for line in TYPED:
            # xdotool types a character outside the keyboard map by remapping a key first; with
            # short delays an X server under load may see the key before the new map and drop
            # the character.
            session.xdotool("type", "--delay", "80", line)
            session.xdotool("key", "Return")
        expect_lines(session, WRITTEN, "typed with 引用与合计 on")
        session.run("import", "-window", "root", os.path.join(shot_dir, "e2e-references.png"))

        # Into 午饭's amount: up from the empty last line, past "午饭：".
        session.xdotool("key", "ctrl+End", *(["Up"] * (len(TYPED) - 1)), "Home",
                        "Right", "Right", "Right")
        session.xdotool("type", "1")
        session.xdotool("key", "F9")
        expect_lines(session, RECALCULATED, "F9 after an amount changed")
        session.run("import", "-window", "root", os.path.join(shot_dir, "e2e-recalculated.png"))
        session.xdotool("key", "ctrl+z")
        undone = ["午饭：125+13=38" if i == 1 else line for i, line in enumerate(WRITTEN)]
        expect_lines(session, undone, "one Ctrl+Z after F9")
        session.close(program, x, y, width)

        # The switch stays on in the next run.
        program, window, (x, y, width, height) = session.launch(binary)
        session.xdotool("windowfocus", "--sync", window)
        session.click(x + width // 2, y + height - 30)
        session.xdotool("type", "--delay", "80", "房租 3500")
        session.xdotool("key", "Return")
        session.xdotool("type", "--delay", "80", "合计")
        session.xdotool("key", "Return")
        lines = wait_for("the total in the second run",
                         lambda: (lambda l: l if "合计=3500" in l else None)(session.sheet_lines()))
        print(f"second run: {lines[HELP_LINES]} | {lines[HELP_LINES + 1]}")
        session.close(program, x, y, width)
        print("references e2e: passed")
        return 0
    finally:
        tear_down(program, server, home)


if __name__ == "__main__":
    sys.exit(main())
