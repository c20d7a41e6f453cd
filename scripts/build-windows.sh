#!/usr/bin/env bash
# Builds the Windows x64 programs here, with MinGW-w64 and a static Qt: tolvane.exe (one file,
# no DLLs beside it) and tolvane-eval.exe, and the Qt Test suites of the windows, which
# `make test-windows` runs under Wine. Qt comes from scripts/build-qt-windows.sh (built once,
# then cached).
#
#   scripts/build-windows.sh [BUILD_DIR]      (default build-windows)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build_dir="${1:-$root/build-windows}"
jobs="${JOBS:-2}"

qt_prefix=$(bash "$root/scripts/build-qt-windows.sh" | tail -n 1)
# Qt's toolchain file adds its prefix to where the cross build may look for packages, then reads
# the project's MinGW-w64 toolchain file.
start=$(date +%s)
mkdir -p "$build_dir"
cmake -S "$root" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$qt_prefix/lib/cmake/Qt6/qt.toolchain.cmake" \
    -DQT_CHAINLOAD_TOOLCHAIN_FILE="$root/cmake/toolchains/mingw-w64-x86_64.cmake" \
    -DQT_HOST_PATH=/usr \
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DTOLVANE_BUILD_BENCH=OFF -DTOLVANE_BUILD_TESTS=ON -DTOLVANE_WERROR="${TOLVANE_WERROR:-OFF}" \
    >"$build_dir/configure.log" 2>&1 || {
    cat "$build_dir/configure.log" >&2
    echo "build-windows: configure failed" >&2
    exit 1
}
cmake --build "$build_dir" -j "$jobs" --target tolvane tolvane-eval tolvane_qt_suites
echo "build-windows: built in $(($(date +%s) - start)) s: $build_dir/tolvane.exe," \
    "$build_dir/tools/tolvane-eval.exe" >&2
