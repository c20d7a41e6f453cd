"""A fresh Wine prefix for the scripts that run the Windows programs (end-to-end test, installer
test, start-up benchmark): a Windows user's profile of its own, in which Chinese shows."""
import os
import shutil
import subprocess
import tempfile

WINE = "/usr/lib/wine/wine64"
WINESERVER = "/usr/lib/wine/wineserver"

# Wine's own dialogs (the open and save dialogs among them) draw with Tahoma and "MS Shell Dlg",
# which have no Chinese; Windows links such faces to a Chinese one, and so does this prefix, to
# the CJK face Debian has. Programs that ask for the Chinese faces of Windows get it too.
CJK_FACE = "WenQuanYi Micro Hei"
CJK_FILE = "wqy-microhei.ttc"
LINKED_FACES = ["Tahoma", "MS Shell Dlg", "MS Shell Dlg 2", "Segoe UI"]
REPLACED_FACES = ["Microsoft YaHei", "SimSun", "微软雅黑", "宋体"]


def _registry_file():
    def multi_string(text):
        data = (text + "\0\0").encode("utf-16-le")
        return "hex(7):" + ",".join(f"{byte:02x}" for byte in data)

    lines = ["Windows Registry Editor Version 5.00", "",
             r"[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontLink"
             r"\SystemLink]"]
    lines += [f'"{face}"={multi_string(f"{CJK_FILE},{CJK_FACE}")}' for face in LINKED_FACES]
    lines += ["", r"[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]"]
    lines += [f'"{face}"="{CJK_FACE}"' for face in REPLACED_FACES]
    return "\r\n".join(lines) + "\r\n"


def make_prefix(prefix, base_env=None):
    """Makes a new prefix at `prefix` (removing what was there) with a HOME of its own beside it,
    so nothing reaches the user's folders; returns the environment that runs programs in it,
    without a display (the caller adds one)."""
    shutil.rmtree(prefix, ignore_errors=True)
    home = prefix + "-home"
    shutil.rmtree(home, ignore_errors=True)
    os.makedirs(home)
    env = dict(base_env if base_env is not None else os.environ, WINEPREFIX=prefix,
               WINEDEBUG="-all", HOME=home,
               # No .NET or HTML engine: nothing here needs them, and Wine would offer to
               # download them.
               WINEDLLOVERRIDES="mscoree=;mshtml=")
    env.pop("DISPLAY", None)
    env.pop("QT_QPA_PLATFORM", None)
    run(env, "wineboot", "--init")
    with tempfile.NamedTemporaryFile("wb", suffix=".reg", delete=False) as reg:
        reg.write(b"\xff\xfe" + _registry_file().encode("utf-16-le"))
    try:
        run(env, "regedit", "/S", to_windows_path(reg.name))
    finally:
        os.unlink(reg.name)
    subprocess.run([WINESERVER, "-w"], env=env, check=False, timeout=120)
    return env


def run(env, *args, timeout=180):
    """Runs a Windows program to its end; returns its stdout (bytes)."""
    result = subprocess.run([WINE, *args], env=env, capture_output=True, timeout=timeout)
    if result.returncode != 0:
        raise RuntimeError(f"wine {' '.join(args)} ended with {result.returncode}: "
                           f"{result.stderr.decode('utf-8', 'replace').strip()}")
    return result.stdout


def stop(env):
    """Ends every Windows process of the prefix and its server."""
    subprocess.run([WINESERVER, "-k"], env=env, check=False, timeout=60)
    subprocess.run([WINESERVER, "-w"], env=env, check=False, timeout=60)


def to_windows_path(path):
    """A Unix path as the Windows programs see it: drive Z: is the Unix root."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def user_folder(prefix):
    """The Windows user's profile folder in the prefix (C:\\users\\<name>)."""
    users = os.path.join(prefix, "drive_c", "users")
    names = [name for name in os.listdir(users) if name.lower() != "public"]
    if len(names) != 1:
        raise RuntimeError(f"expected one user profile in {users}, found {names}")
    return os.path.join(users, names[0])


def local_app_data(prefix):
    return os.path.join(user_folder(prefix), "AppData", "Local")


def roaming_app_data(prefix):
    return os.path.join(user_folder(prefix), "AppData", "Roaming")
