#!/usr/bin/env python3
"""End-to-end check of the Windows program, tolvane.exe, under Wine on a virtual X server.

In a fresh Wine prefix (a Windows user of its own), with xdotool as a person would:
  - the window maps at 700x422 with the caption Tolvane计算器 and the help text on the sheet;
  - typing 1+2= gives 1+2=3, read back through the clipboard, in lime and red on black;
  - Ctrl+S saves through Windows' save dialog to 预算.txt, whose bytes are the sheet's;
  - Ctrl+O opens 旧账.txt, written as Notepad writes "ANSI" on a Chinese system (GBK, CR LF);
  - 常用函数 from the function menu opens the palette;
  - after a change and kill -9 the recovery file is in the local application data folder
    (AppData\\Local\\tolvane\\recovery) with the sheet in it, and nothing is in the roaming one.
Exit 0 on success, 77 (skipped) when Wine or the X tools are missing.

Usage: windows_e2e.py TOLVANE_EXE [SCREENSHOT_DIR]
"""
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

import wine
from run_e2e import (SKIP, TITLE, Session, arguments, check_colours, fail, start_server,
                     wait_for)

SIZE = (700, 422)
PALETTE_CAPTION = "常用函数（多个参数用英文字符 \" , \"  隔开）"


def window_names(session, program):
    ids = session.xdotool("search", "--onlyvisible", "--pid", str(program.pid), "--name", "",
                          check=False).split()
    return [session.xdotool("getwindowname", window, check=False).strip() for window in ids]


def wait_for_window(session, program, name):
    wait_for(f"a window named {name!r}", lambda: name in window_names(session, program), 30)


def choose_file(session, program, dialog, path, main):
    """Answers Windows' open or save dialog with `path`: its name field has the focus; the path,
    Chinese and all, goes in through the clipboard, as a person pastes it."""
    wait_for_window(session, program, dialog)
    subprocess.run(["xclip", "-i", "-selection", "clipboard"], input=wine.to_windows_path(path),
                   text=True, env=session.env, check=True, timeout=10)
    time.sleep(0.3)
    session.xdotool("key", "--delay", "50", "Home", "shift+End", "ctrl+v", "Return")
    wait_for(f"the dialog {dialog!r} to close",
             lambda: dialog not in window_names(session, program), 30)
    session.xdotool("windowfocus", "--sync", main)


def save_and_open(session, program, main, folder):
    session.xdotool("windowfocus", "--sync", main)
    sheet = session.sheet_lines()
    session.xdotool("key", "ctrl+s")
    saved = os.path.join(folder, "预算.txt")
    choose_file(session, program, "另存为", saved, main)
    wait_for_window(session, program, "预算.txt - " + TITLE)
    with open(saved, "rb") as file:
        if file.read() != "\n".join(sheet).encode("utf-8"):
            fail("the saved file is not the sheet's text")
    print("Ctrl+S saved the sheet to 预算.txt through the save dialog")

    notepad = os.path.join(folder, "旧账.txt")
    with open(notepad, "wb") as file:
        file.write("房租 3500*12=42000\r\n2+2\r\n".encode("gbk"))
    session.xdotool("key", "ctrl+o")
    choose_file(session, program, "打开", notepad, main)
    wait_for_window(session, program, "旧账.txt - " + TITLE)
    lines = session.sheet_lines()
    if lines != ["房租 3500*12=42000", "2+2", ""]:
        fail(f"the opened file reads {lines!r}")
    print("Ctrl+O opened a GBK file with CR LF endings")


def open_palette(session, program, x, y, width, shot_dir):
    # The green menu button, then the first entry, 常用函数.
    session.click(x + width - 96 + 8, y + 5 + 7)
    time.sleep(0.5)
    session.xdotool("key", "--delay", "80", "Down", "Return")
    wait_for_window(session, program, PALETTE_CAPTION)
    session.run("import", "-window", "root", os.path.join(shot_dir, "windows-palette.png"))
    print("the function menu opened the palette")


def recovery_survives_kill(session, program, prefix, x, y, width, height):
    folder = os.path.join(wine.local_app_data(prefix), "tolvane", "recovery")

    def recovered_sheet():
        if not os.path.isdir(folder):
            return None
        for name in os.listdir(folder):
            if name.startswith("sheet-") and name.endswith(".txt"):
                with open(os.path.join(folder, name), "rb") as file:
                    if "7*6=42" in file.read().decode("utf-8", "replace"):
                        return name
        return None

    # The palette has the focus now; a click on the sheet gives it back, as a person would.
    session.click(x + width // 2, y + height - 30)
    session.xdotool("key", "ctrl+End")
    session.xdotool("type", "--delay", "30", "7*6=")
    name = wait_for("the recovery file with the new line", recovered_sheet, 15)
    program.send_signal(signal.SIGKILL)
    program.wait()
    if recovered_sheet() != name:
        fail("the recovery file did not survive kill -9")
    roaming = os.path.join(wine.roaming_app_data(prefix), "tolvane")
    if os.path.exists(roaming):
        fail(f"the program wrote into the roaming profile: {os.listdir(roaming)}")
    print(f"after kill -9: AppData\\Local\\tolvane\\recovery\\{name} holds the sheet")


def main():
    exe, shot_dir = arguments(("Xvfb", "xdotool", "xclip", "import", "convert"))
    if not os.path.exists(wine.WINE):
        print("SKIP: Wine is not installed", file=sys.stderr)
        return SKIP
    work = tempfile.mkdtemp(prefix="tolvane-wine-e2e-")
    prefix = os.path.join(work, "prefix")
    server, xenv = start_server()
    program = None
    env = None
    passed = False
    try:
        env = wine.make_prefix(prefix)
        env.update(DISPLAY=xenv["DISPLAY"], XDG_RUNTIME_DIR=xenv["XDG_RUNTIME_DIR"])
        session = Session(env)
        started = time.monotonic()
        program, main_window, (x, y, width, height) = session.launch([wine.WINE, exe])
        print(f"the window mapped {time.monotonic() - started:.1f} s after the start")
        if (width, height) != SIZE:
            fail(f"the window is {width}x{height}, want {SIZE[0]}x{SIZE[1]}")
        name = session.xdotool("getwindowname", main_window).strip()
        if name != TITLE:
            fail(f"the window's caption is {name!r}")

        session.click(x + width // 2, y + height - 30)
        session.xdotool("type", "--delay", "30", "1+2=")
        check_colours(session, shot_dir, main_window)
        lines = session.sheet_lines()
        if lines[0] != "*" * 64:
            fail(f"the help text is missing: {lines[:2]!r}")
        if len(lines) < 11 or lines[10] != "1+2=3":
            fail(f"the typed line reads {lines[10:]!r}, want '1+2=3'")
        print("maps at 700x422 as Tolvane计算器 with the help text; 1+2= gives", lines[10])

        save_and_open(session, program, main_window, work)
        open_palette(session, program, x, y, width, shot_dir)
        recovery_survives_kill(session, program, prefix, x, y, width, height)
        print("windows e2e: 1 passed, 0 failed")
        passed = True
        return 0
    finally:
        if program and program.poll() is None:
            program.kill()
            program.wait()
        if env:
            wine.stop(env)
        server.terminate()
        server.wait()
        if passed:
            shutil.rmtree(work, ignore_errors=True)
        else:
            print(f"the Wine prefix is kept for a look: {prefix}", file=sys.stderr)


if __name__ == "__main__":
    sys.exit(main())
