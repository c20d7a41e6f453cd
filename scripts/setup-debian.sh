#!/usr/bin/env bash
# Installs the Debian packages of the groups named on the command line, and only those that are
# missing. Safe to run again: a machine that has everything is left alone and nothing is
# downloaded.
#
#   scripts/setup-debian.sh [run] [test] [cross] [package] [package-test] [windows]
#                           [windows-test]   (no group: all)
#
# `make run` asks for run only, so a person who just wants the calculator gets the build tools
# and what the program needs at run time; `make test` adds test and cross, `make package`
# package, `make test-package` package and package-test, `make package-windows` windows, and
# `make test-windows` windows and windows-test.
set -euo pipefail

# What each package is for:
#   run:   compiler, CMake, Ninja, Qt 6 Widgets (with moc and the OpenGL headers its CMake
#          files ask for); a CJK font so Chinese never renders as boxes, a condensed sans face
#          of about Tahoma's width for the palette's captions, and Qt's own Chinese
#          translations so standard buttons read "确定"
run_packages=(
    g++ cmake ninja-build make
    qt6-base-dev qt6-base-dev-tools libgl-dev
    fonts-wqy-microhei fonts-dejavu-extra qt6-translations-l10n
)
#   test:  GoogleTest and Google Benchmark (pkg-config finds muparser);
#          e2e: a virtual X server, key injection, the clipboard and screenshots for the
#          end-to-end test of the real program;
#          bench: muparser, a reference expression parser the engine benchmark measures against,
#          and bc, the calculator bench/eval/eval_vs_bc.py times tolvane-eval against;
#          fuzz: clang with its libFuzzer and sanitizer runtimes; valgrind for the leak check
#          of the soak script;
#          the validators of the AppStream listing and the desktop entry;
#          format: clang-format-14, the one version the format check of make test uses;
#          numeric: MPFR, the reference the extended math is measured against
test_packages=(
    libgtest-dev libgmock-dev libbenchmark-dev pkg-config
    xvfb xdotool xclip x11-apps x11-utils imagemagick python3
    libmuparser-dev bc
    clang libclang-rt-14-dev valgrind
    clang-format-14
    appstream desktop-file-utils
    libmpfr-dev
)
#   cross: MinGW-w64 (posix threads) and Wine for Windows x64, the arm64 cross compiler and
#          QEMU's user mode, to build the Qt-free parts for both and run their suites there
cross_packages=(g++-mingw-w64-x86-64-posix wine64 g++-aarch64-linux-gnu qemu-user)
#   package: dpkg-shlibdeps and dpkg-buildflags for the Debian package; `file`, which CPack
#          uses to find the binaries whose libraries become dependencies
package_packages=(dpkg-dev file)
#   package-test: lintian; debootstrap for a fresh Debian 12 root to install the package into;
#          Xvfb, xdotool and xprop to see its window
package_test_packages=(lintian debootstrap xvfb xdotool x11-utils)
#   windows: the Windows program and its installer. dpkg-dev (apt-get source, dpkg-source) and
#          perl (Qt's header generator) to fetch and build Qt for Windows from Debian's source
#          package (scripts/build-qt-windows.sh); MinGW-w64 (posix threads) to compile it and the
#          program; the host's Qt tools (moc, rcc, uic), which that Qt build uses instead of
#          building its own; Qt's Chinese translations, built into tolvane.exe; nsis (makensis)
#          for the installer and zip for the portable zip
windows_packages=(
    dpkg-dev perl g++-mingw-w64-x86-64-posix cmake ninja-build
    qt6-base-dev qt6-base-dev-tools qt6-translations-l10n nsis zip
)
#   windows-test: Wine to run the Windows program, its suites and its installer, with Wine's
#          own fonts (Tahoma and the other faces Windows has); a virtual X server, key injection,
#          the clipboard, screenshots and X window queries to drive its window; a CJK font the
#          Wine prefix maps Chinese to, as Chinese Windows has one
windows_test_packages=(
    wine64 fonts-wine xvfb xdotool xclip imagemagick x11-utils python3 fonts-wqy-microhei
)

groups=("$@")
if [ ${#groups[@]} -eq 0 ]; then
    groups=(run test cross package package-test windows windows-test)
fi
packages=()
for group in "${groups[@]}"; do
    case "$group" in
    run) packages+=("${run_packages[@]}") ;;
    test) packages+=("${test_packages[@]}") ;;
    cross) packages+=("${cross_packages[@]}") ;;
    package) packages+=("${package_packages[@]}") ;;
    package-test) packages+=("${package_test_packages[@]}") ;;
    windows) packages+=("${windows_packages[@]}") ;;
    windows-test) packages+=("${windows_test_packages[@]}") ;;
    *)
        echo "setup: unknown group '$group' (run, test, cross, package, package-test, windows," \
            "windows-test)" >&2
        exit 2
        ;;
    esac
done

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        if [[ " ${missing[*]} " != *" $p "* ]]; then
            missing+=("$p")
        fi
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    echo "setup: everything for ${groups[*]} is installed"
    exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null 2>&1; then
        sudo="sudo"
    else
        echo "setup: these packages are missing and this is not root (no sudo): ${missing[*]}" >&2
        exit 1
    fi
fi

echo "setup: installing missing Debian packages for ${groups[*]}: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
echo "setup: done"
