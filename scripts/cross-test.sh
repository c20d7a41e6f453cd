#!/usr/bin/env bash
# Builds the Qt-free parts (engine, line logic, tolvane-eval and their GoogleTest suites) for
# Windows x64 with MinGW-w64 and for Linux arm64, and runs the suites through CTest's emulator
# (Wine, QEMU). Prints how long each configuration took.
#
#   scripts/cross-test.sh [--only REGEX] [mingw-w64-x86_64] [aarch64-linux-gnu]
#
# --only runs just the CTest entries matching REGEX (e.g. numeric_tests). The exit status is 0
# when every configuration built and passed.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build_root="${CROSS_BUILD_ROOT:-$root/build-cross}"
jobs="${JOBS:-2}"
only=""
targets=()
while [ $# -gt 0 ]; do
    case "$1" in
    --only) only="$2"; shift 2 ;;
    *) targets+=("$1"); shift ;;
    esac
done
[ ${#targets[@]} -eq 0 ] && targets=(mingw-w64-x86_64 aarch64-linux-gnu)

mkdir -p "$build_root"
status=0
for target in "${targets[@]}"; do
    dir="$build_root/$target"
    start=$(date +%s)
    echo "cross-test: $target: configure and build in $dir"
    if ! cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchains/$target.cmake" \
        -DTOLVANE_BUILD_UI=OFF -DTOLVANE_BUILD_BENCH=OFF -DTOLVANE_WERROR="${TOLVANE_WERROR:-OFF}" \
        >"$dir.configure.log" 2>&1; then
        cat "$dir.configure.log" >&2
        echo "cross-test: $target: configure failed" >&2
        status=1
        continue
    fi
    if ! cmake --build "$dir" -j "$jobs"; then
        echo "cross-test: $target: build failed" >&2
        status=1
        continue
    fi
    built=$(date +%s)
    if [ "$target" = mingw-w64-x86_64 ]; then
        # Wine makes its prefix on first use, and two tests that start at once in a new prefix
        # race over it ("fixed a temporary directory error, please try running the same command
        # again"). Make it here, alone, and wait until its server has ended.
        prefix="$dir/wineprefix"
        WINEPREFIX="$prefix" WINEDEBUG=-all DISPLAY= /usr/lib/wine/wine64 wineboot --init \
            >"$dir.wineboot.log" 2>&1 || { cat "$dir.wineboot.log" >&2; status=1; }
        WINEPREFIX="$prefix" /usr/lib/wine/wineserver -w || true
    fi
    ctest_args=(--test-dir "$dir" --output-on-failure -j "$jobs")
    [ -n "$only" ] && ctest_args+=(-R "$only")
    if ! ctest "${ctest_args[@]}"; then
        status=1
    fi
    end=$(date +%s)
    echo "cross-test: $target: build $((built - start)) s, tests $((end - built)) s"
done
exit $status
