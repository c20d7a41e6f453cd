#!/usr/bin/env python3
"""The two Windows downloads, tried under Wine as a Windows user would, in a fresh prefix.

The installer, tolvane-<version>-win64-setup.exe:
  - /S installs without a question into %LOCALAPPDATA%\\Programs\\Tolvane: the two programs,
    the uninstaller and the licences, a Start-menu shortcut Tolvane计算器 to tolvane.exe, and an
    entry in the installed-apps list with name, version, publisher, icon, size and uninstaller;
  - the installed tolvane-eval.exe answers 1+2 with 1+2=3; the installed tolvane.exe maps its
    window, takes a line and closes with its own button (leaving a recovery file);
  - uninstall.exe /S removes every installed file, the folder, the shortcut and the entry, and
    leaves the recovery file alone.
The portable zip, tolvane-<version>-win64.zip:
  - unpacked anywhere, its tolvane.exe runs, keeps its recovery file in the data folder beside
    it, and writes nothing into the user's profile.
Exit 0 on success, 77 (skipped) when Wine or the X tools are missing.

Usage: test-packages.py SETUP_EXE ZIP
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..",
                                "tests", "e2e"))
import wine  # noqa: E402
from run_e2e import SKIP, TITLE, Session, fail, start_server  # noqa: E402

PRODUCT = "Tolvane计算器"
UNINSTALL_KEY = r"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tolvane"
INSTALLED = ["tolvane.exe", "tolvane-eval.exe", "uninstall.exe"]


def registry_values(prefix, key):
    """The values of a key of the user's registry hive as Wine saved it, or None."""
    with open(os.path.join(prefix, "user.reg"), encoding="utf-8", errors="replace") as f:
        text = f.read()
    match = re.search(r"^\[" + re.escape(key) + r"\][^\n]*\n(.*?)(?:\n\n|\Z)", text,
                      re.S | re.M | re.I)
    if not match:
        return None
    values = {}
    for line in match.group(1).splitlines():
        item = re.match(r'^"((?:[^"\\]|\\.)*)"=(.*)$', line)
        if not item:
            continue
        name, value = item.groups()
        if value.startswith('"'):
            values[name] = unescape(value[1:-1])
        elif value.startswith("dword:"):
            values[name] = int(value[6:], 16)
    return values


def unescape(text):
    """Wine's registry files write characters beyond ASCII as \\x followed by hex digits."""
    return re.sub(r"\\x([0-9a-fA-F]{1,4})|\\(.)",
                  lambda m: chr(int(m.group(1), 16)) if m.group(1) else m.group(2), text)


def files_under(folder):
    found = set()
    for base, _, names in os.walk(folder):
        found.update(os.path.relpath(os.path.join(base, name), folder) for name in names)
    return found


def recovery_files(folder):
    return sorted(name for name in os.listdir(folder) if name.endswith(".txt")) \
        if os.path.isdir(folder) else []


def use_window(session, command, line):
    """Starts the program, types `line` with Enter and closes it with its own button."""
    program, _, (x, y, width, height) = session.launch(command)
    session.click(x + width // 2, y + height - 30)
    session.xdotool("type", "--delay", "30", line)
    session.close(program, x, y, width)


def test_installer(setup, prefix, env, session):
    programs = os.path.join(wine.local_app_data(prefix), "Programs", "Tolvane")
    shortcut = os.path.join(wine.roaming_app_data(prefix), "Microsoft", "Windows", "Start Menu",
                            "Programs", PRODUCT + ".lnk")
    recovery = os.path.join(wine.local_app_data(prefix), "tolvane", "recovery")

    wine.run(env, setup, "/S")
    wine.stop(env)  # the registry reaches user.reg when the server ends
    missing = [name for name in INSTALLED if not os.path.isfile(os.path.join(programs, name))]
    if missing or not os.listdir(os.path.join(programs, "licenses")):
        fail(f"not installed: {missing or 'licenses'}")
    installed = files_under(programs)
    with open(shortcut, "rb") as f:
        if "tolvane.exe".encode("utf-16-le") not in f.read():
            fail("the shortcut does not lead to tolvane.exe")
    entry = registry_values(prefix, UNINSTALL_KEY)
    if entry is None:
        fail("no entry in the installed-apps list")
    version = re.search(r"tolvane-(.+)-win64-setup\.exe$", setup).group(1)
    want = {"DisplayName": PRODUCT, "DisplayVersion": version,
            "Publisher": "The Tolvane developers"}
    for name, value in want.items():
        if entry.get(name) != value:
            fail(f"the entry's {name} is {entry.get(name)!r}, want {value!r}")
    for name in ("DisplayIcon", "UninstallString", "QuietUninstallString"):
        if "tolvane.exe" not in entry.get(name, "") and "uninstall.exe" not in entry.get(name, ""):
            fail(f"the entry's {name} is {entry.get(name)!r}")
    if not entry.get("EstimatedSize", 0) > 1000:
        fail(f"the entry's size is {entry.get('EstimatedSize')!r} KiB")
    print(f"installed {len(installed)} files, the shortcut and the entry "
          f"({entry['DisplayName']} {entry['DisplayVersion']}, {entry['EstimatedSize']} KiB)")

    answer = wine.run(env, os.path.join(programs, "tolvane-eval.exe"), "1+2")
    if answer.replace(b"\r\n", b"\n") != b"1+2=3\n":
        fail(f"the installed tolvane-eval.exe answered {answer!r}")
    use_window(session, [wine.WINE, os.path.join(programs, "tolvane.exe")], "1+1=")
    kept = recovery_files(recovery)
    if not kept:
        fail("the installed program left no recovery file")
    print("the installed tolvane-eval.exe answers 1+2=3; the installed window maps as", TITLE)

    wine.run(env, os.path.join(programs, "uninstall.exe"), "/S")
    wine.stop(env)  # the uninstaller goes on from a copy of itself: wait for it
    if os.path.exists(programs):
        fail(f"left behind after uninstalling: {sorted(files_under(programs))}")
    if os.path.exists(shortcut):
        fail("the shortcut is still there after uninstalling")
    if registry_values(prefix, UNINSTALL_KEY) is not None:
        fail("the installed-apps entry is still there after uninstalling")
    if recovery_files(recovery) != kept:
        fail(f"uninstalling touched the recovery files: {recovery_files(recovery)}")
    print("uninstall.exe /S removed the files, the folder, the shortcut and the entry, "
          "and kept the recovery file")


def test_zip(archive, work, prefix, session):
    stick = os.path.join(work, "usb")
    with zipfile.ZipFile(archive) as z:
        z.extractall(stick)
    folders = os.listdir(stick)
    if len(folders) != 1:
        fail(f"the zip holds {folders}, want one folder")
    folder = os.path.join(stick, folders[0])
    for name in ("tolvane.exe", "tolvane-eval.exe", "portable.txt"):
        if not os.path.isfile(os.path.join(folder, name)):
            fail(f"the zip has no {name}")
    profile = wine.user_folder(prefix)
    before = files_under(profile)
    use_window(session, [wine.WINE, os.path.join(folder, "tolvane.exe")], "5*5=")
    if not recovery_files(os.path.join(folder, "data", "recovery")):
        fail("the portable program kept no recovery file beside it")
    written = sorted(files_under(profile) - before)
    if written:
        fail(f"the portable program wrote into the user's profile: {written}")
    print("the portable zip's program keeps its recovery file in data\\ beside it, "
          "and nothing in the profile")


def main():
    if len(sys.argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    setup, archive = (os.path.abspath(path) for path in sys.argv[1:])
    for tool in ("Xvfb", "xdotool", "xclip"):
        if not shutil.which(tool):
            print(f"SKIP: {tool} is not installed", file=sys.stderr)
            return SKIP
    if not os.path.exists(wine.WINE):
        print("SKIP: Wine is not installed", file=sys.stderr)
        return SKIP
    work = tempfile.mkdtemp(prefix="tolvane-wine-packages-")
    prefix = os.path.join(work, "prefix")
    server, xenv = start_server()
    env = None
    passed = False
    started = time.monotonic()
    try:
        env = wine.make_prefix(prefix)
        env.update(DISPLAY=xenv["DISPLAY"], XDG_RUNTIME_DIR=xenv["XDG_RUNTIME_DIR"])
        session = Session(env)
        test_installer(setup, prefix, env, session)
        test_zip(archive, work, prefix, session)
        print(f"windows packages: 2 passed, 0 failed ({time.monotonic() - started:.0f} s)")
        passed = True
        return 0
    finally:
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
