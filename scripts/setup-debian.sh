#!/usr/bin/env bash
# Installs the Debian packages Tolvane needs to build, run, test and benchmark,
# and only those that are missing. Safe to run again: a machine that has
# everything is left alone and nothing is downloaded.
set -euo pipefail

# What each package is for:
#   build: compiler, CMake, Ninja, Qt 6 Widgets, GoogleTest, Google Benchmark
#   look:  a CJK font so Chinese never renders as boxes, a condensed sans face
#          of about Tahoma's width for the palette's captions, and Qt's own Chinese
#          translations so standard buttons read "确定"
#   e2e:   a virtual X server, key injection, the clipboard and screenshots
#          for the end-to-end test of the real program
#   bench: muparser, a reference expression parser the engine benchmark
#          measures against; bc, the calculator bench/eval/eval_vs_bc.py times
#          tolvane-eval against
#   fuzz:  clang with its libFuzzer and sanitizer runtimes; valgrind for the
#          leak check of the soak script
#   format: clang-format-14, the one version the format check of make test uses
packages=(
    g++ cmake ninja-build pkg-config make
    qt6-base-dev qt6-base-dev-tools libgl-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    fonts-wqy-microhei fonts-dejavu-extra qt6-translations-l10n
    xvfb xdotool xclip x11-apps x11-utils imagemagick python3
    libmuparser-dev bc
    clang libclang-rt-14-dev valgrind
    clang-format-14
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    echo "setup: all build, test and run dependencies are installed"
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

echo "setup: installing missing Debian packages: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
echo "setup: done"
