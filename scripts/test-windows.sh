#!/usr/bin/env bash
# The Windows proof, under Wine (make test-windows, after make package-windows has built the
# programs, the suites and the two downloads):
#   - the Qt Test suites of the windows, built for Windows, offscreen (CTest label "qt");
#   - tolvane-eval.exe in a console and a pipe, and tolvane.exe end to end on a virtual X server
#     (CTest label "windows");
#   - the installer and the portable zip (packaging/windows/test-packages.py).
# Prints how long each part took.
#
#   scripts/test-windows.sh [BUILD_DIR] [PACKAGE_DIR]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build_dir="$(cd "${1:-$root/build-windows}" && pwd)"
package_dir="$(cd "${2:-$root/build-windows-package}" && pwd)"
jobs="${JOBS:-2}"

built=$(date +%s)

# The suites share one prefix (CMAKE_CROSSCOMPILING_EMULATOR), made here alone: two suites that
# start at once in a new prefix race over making it. Wine drops QT_ variables from the Unix
# environment, so what the suites need of Qt is set in the prefix's own: the offscreen platform,
# fonts for it (it reads font files from one folder, not Windows' fonts: Wine's Tahoma and the
# CJK face), and QTest's report on the console instead of the debugger's channel.
prefix="$build_dir/wineprefix"
if [ ! -f "$prefix/.tolvane-suites" ]; then
    rm -rf "$prefix"
    export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="
    DISPLAY= /usr/lib/wine/wine64 wineboot --init >"$build_dir/wineboot.log" 2>&1 ||
        { cat "$build_dir/wineboot.log" >&2; exit 1; }
    mkdir -p "$prefix/drive_c/fonts"
    ln -sf /usr/share/wine/fonts/tahoma.ttf \
        /usr/share/fonts/truetype/wqy/wqy-microhei.ttc "$prefix/drive_c/fonts/"
    for setting in QT_QPA_PLATFORM=offscreen 'QT_QPA_FONTDIR=C:\fonts' QT_FORCE_STDERR_LOGGING=1; do
        DISPLAY= /usr/lib/wine/wine64 reg add 'HKCU\Environment' /v "${setting%%=*}" \
            /d "${setting#*=}" /f >/dev/null
    done
    /usr/lib/wine/wineserver -w
    touch "$prefix/.tolvane-suites"
    unset WINEPREFIX WINEDEBUG WINEDLLOVERRIDES
fi
status=0
ctest --test-dir "$build_dir" -L 'qt|windows' --output-on-failure -j "$jobs" || status=1
WINEPREFIX="$prefix" /usr/lib/wine/wineserver -k 2>/dev/null || true
suites=$(date +%s)

python3 "$root/packaging/windows/test-packages.py" "$package_dir"/tolvane-*-win64-setup.exe \
    "$package_dir"/tolvane-*-win64.zip || status=1
end=$(date +%s)
echo "test-windows: suites and end to end $((suites - built)) s, installer and zip" \
    "$((end - suites)) s"
exit $status
