#!/usr/bin/env python3
"""End-to-end check of the recovery file: a sheet survives `kill -9`.

Starts tolvane on its own Xvfb display with a private HOME and XDG folders, types two lines and
waits, then types one long line without a pause and kills the program with SIGKILL. Started
again, the program shows the help text as always; "恢复上次的计算" from the function menu then
brings back the killed sheet, read back through the clipboard: the two lines whole, and of the
long line at most the last two seconds of typing missing. Then Ctrl+S saves the sheet through the
save dialog, and after a change Ctrl+O asks whether to save it, saves, and opens a GB18030 file
with CR LF endings. Exit 0 on success, 77 (skipped) when the X tools are missing.

Usage: recovery_e2e.py TOLVANE_BINARY [SCREENSHOT_DIR]
"""
import os
import shutil
import signal
import sys
import tempfile
import time

from run_e2e import TITLE, Session, arguments, fail, start_server, wait_for

HELP_LINES = 10
KEY_DELAY_MS = 150  # xdotool waits half of it after each key going down and coming up
LONG_LINE_KEYS = 60
ALLOWED_LOSS_S = 2.0


def recovery_files(home):
    folder = os.path.join(home, "data", "tolvane", "recovery")
    return sorted(os.listdir(folder)) if os.path.isdir(folder) else []


def save_and_open(session, program, home, shot_dir):
    """Ctrl+S and Ctrl+O typed into the sheet, through Qt's own file dialogs."""
    main = session.xdotool("search", "--onlyvisible", "--pid", str(program.pid), "--name",
                           TITLE).split()[0]
    # Every window manager gives the clicked window the input focus; this bare X server has
    # none, and a window shortcut only works in the window that has it.
    session.xdotool("windowfocus", "--sync", main)
    sheet = session.sheet_lines()
    session.xdotool("key", "ctrl+End")
    session.xdotool("key", "ctrl+s")
    session.wait_for_window(program, "另存为")
    saved = os.path.join(home, "budget.txt")
    session.xdotool("type", "--delay", "20", saved)
    session.xdotool("key", "Return")
    session.wait_for_window(program, "budget.txt - " + TITLE)
    with open(saved, "rb") as file:
        if file.read() != "\n".join(sheet).encode("utf-8"):
            fail("the saved file is not the sheet's text")
    session.xdotool("windowfocus", "--sync", main)
    session.xdotool("type", "--delay", "30", "9")
    session.wait_for_window(program, "*budget.txt - " + TITLE)

    other = os.path.join(home, "windows.txt")
    with open(other, "wb") as file:
        file.write("房租 3500*12=42000\r\n2+2\r\n".encode("gb18030"))
    # The 9 is not saved: 打开… asks first, and 保存 (the default button) saves it.
    session.xdotool("key", "ctrl+o")
    session.wait_for_window(program, TITLE)
    session.xdotool("key", "Return")
    session.wait_for_window(program, "打开")
    with open(saved, "rb") as file:
        if not file.read().endswith(b"9"):
            fail("保存 in the question before 打开… did not save the sheet")
    session.xdotool("type", "--delay", "20", other)
    session.xdotool("key", "Return")
    session.wait_for_window(program, "windows.txt - " + TITLE)
    session.xdotool("windowfocus", "--sync", main)
    session.run("import", "-window", "root", os.path.join(shot_dir, "e2e-opened.png"))
    lines = session.sheet_lines()
    if lines != ["房租 3500*12=42000", "2+2", ""]:
        fail(f"the opened file reads {lines!r}")
    print("saved with Ctrl+S and opened a GB18030 file with CR LF endings with Ctrl+O")


def main():
    binary, shot_dir = arguments(("Xvfb", "xdotool", "xclip", "import"))
    server, env = start_server()
    # Nothing the program writes may reach the user's own folders.
    home = tempfile.mkdtemp(prefix="tolvane-home-")
    env.update(HOME=home, XDG_DATA_HOME=os.path.join(home, "data"),
               XDG_CONFIG_HOME=os.path.join(home, "config"),
               XDG_CACHE_HOME=os.path.join(home, "cache"))
    programs = []
    try:
        session = Session(env)
        program, _, (x, y, width, height) = session.launch(binary)
        programs.append(program)
        session.click(x + width // 2, y + height - 30)
        session.xdotool("type", "--delay", "30", "1+2=")
        session.xdotool("type", "--delay", "30", "3*4=")
        time.sleep(3)  # the recovery write follows a change within two seconds

        # One long line without a pause: steady typing must not put the write off.
        started = time.monotonic()
        session.xdotool("type", "--delay", str(KEY_DELAY_MS), "7" * LONG_LINE_KEYS)
        typing = time.monotonic() - started
        program.send_signal(signal.SIGKILL)
        program.wait()
        left = recovery_files(home)
        print(f"typed {LONG_LINE_KEYS} keys in {typing:.1f} s, then killed; left: {left}")
        if not any(name.endswith(".txt") for name in left):
            fail("no recovery file was written")

        program, _, (x, y, width, height) = session.launch(binary)
        programs.append(program)
        lines = session.sheet_lines()
        if lines[0] != "*" * 64 or len(lines) != HELP_LINES + 1:
            fail(f"the new run does not start with the help text: {lines!r}")

        # The function menu: the green button, then down to "恢复上次的计算" (常用函数, 引用与合计,
        # 全部重算, 打开…, 保存, 另存为…, 恢复上次的计算; the separator is skipped).
        session.click(x + width - 96 + 8, y + 5 + 7)
        time.sleep(0.5)
        session.xdotool("key", "--delay", "80", *(["Down"] * 7), "Return")
        time.sleep(0.5)
        session.run("import", "-window", "root", os.path.join(shot_dir, "e2e-recovered.png"))

        lines = session.sheet_lines()
        if lines[0] != "*" * 64:
            fail(f"the recovered sheet lost its first line: {lines[:3]!r}")
        body = lines[HELP_LINES:]
        if body[:2] != ["1+2=3", "3*4=12"]:
            fail(f"the lines typed before the pause are not back: {body!r}")
        long_line = body[2] if len(body) > 2 else ""
        if long_line.strip("7"):
            fail(f"the long line reads {long_line!r}")
        keys_per_second = LONG_LINE_KEYS / typing
        lost = (LONG_LINE_KEYS - len(long_line)) / keys_per_second
        print(f"recovered {len(long_line)} of {LONG_LINE_KEYS} keys: {lost:.1f} s of typing lost")
        if lost > ALLOWED_LOSS_S + 0.5:
            fail(f"{lost:.1f} s of typing were lost, more than {ALLOWED_LOSS_S} s")
        if any(name.startswith("sheet-") and str(programs[0].pid) in name for name in
               recovery_files(home)):
            fail(f"the recovered file was not cleaned up: {recovery_files(home)}")

        save_and_open(session, program, home, shot_dir)

        # Closed with its own close button, the program ends well and keeps its sheet.
        session.close(program, x, y, width)
        print("e2e recovery: 1 passed, 0 failed")
        return 0
    finally:
        for program in programs:
            if program.poll() is None:
                program.kill()
                program.wait()
        server.terminate()
        server.wait()
        shutil.rmtree(home, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
