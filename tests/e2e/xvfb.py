"""A private virtual X server for the scripts that run the real program (e2e test, benchmark)."""
import os
import subprocess
import tempfile


def start_xvfb():
    """Starts Xvfb on a free display; returns (process, environment for programs on it)."""
    read_end, write_end = os.pipe()
    server = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
        pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as pipe:
        number = pipe.readline().strip()
    if not number:
        server.kill()
        server.wait()
        raise RuntimeError("Xvfb did not report a display number")
    env = dict(os.environ, DISPLAY=f":{number}", QT_QPA_PLATFORM="xcb",
               XDG_RUNTIME_DIR=tempfile.mkdtemp(prefix="tolvane-x-"))
    env.pop("WAYLAND_DISPLAY", None)
    # Under AddressSanitizer: libxkbcommon-x11 reads the server's keymap with strndup over
    # buffers that end without a NUL, which strndup allows but the strict string check reports
    # while Qt connects to the display. Every other check stays as the caller set it.
    if "ASAN_OPTIONS" in env:
        env["ASAN_OPTIONS"] = env["ASAN_OPTIONS"].replace("strict_string_checks=1",
                                                          "strict_string_checks=0")
    return server, env
