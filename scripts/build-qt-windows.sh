#!/usr/bin/env bash
# Builds the Qt that tolvane.exe and its window suites link: Qt Core, Gui, Widgets and Test with
# the Windows, offscreen and minimal platform plugins, as static MinGW-w64 libraries for Windows
# x64, from Debian's own qt6-base source package (the same Qt version as the host's, whose moc,
# rcc and uic the build uses). Everything the program does not use is left out, so the build
# stays short.
#
#   scripts/build-qt-windows.sh [--fetch-only | --print-source] [--keep-build]
#
# --fetch-only fetches and verifies the source and stops; --print-source does the same and
# prints the path of Qt's source tarball (the licence texts that travel with the program come
# from it).
# The result is installed into a cache outside the tree, keyed by the Qt version and a hash of
# the recipe (the Debian source version, the configure options, the compiler), so a second run
# is immediate: $TOLVANE_CACHE (default ~/.cache/tolvane)/qt-<version>-win64-static-<hash>.
# The last line on stdout is that folder; everything else goes to stderr. The host's Qt and apt
# configuration are never touched: the source comes through a private apt list of this cache.
# The compile runs under `nice`, so other builds on the machine still move.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
# The Qt version this recipe's options are made for (its snags are those of 6.4.2).
qt_version="6.4.2"
jobs="${JOBS:-2}"
cache="${TOLVANE_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tolvane}"
mode=build
keep_build=0
for arg in "$@"; do
    case "$arg" in
    --fetch-only) mode=fetch ;;
    --print-source) mode=print-source ;;
    --keep-build) keep_build=1 ;;
    *) echo "build-qt-windows: unknown argument '$arg'" >&2; exit 2 ;;
    esac
done
say() { echo "build-qt-windows: $*" >&2; }

host_qt=$(dpkg-query -W -f='${Version}' qt6-base-dev-tools 2>/dev/null || true)
if [ "${host_qt%%+*}" != "$qt_version" ]; then
    say "the host's Qt tools are '${host_qt:-missing}', this recipe builds Qt $qt_version;" \
        "moc, rcc and uic must be of the same version (scripts/setup-debian.sh windows)"
    exit 1
fi
# The exact Debian revision the host's Qt tools came from: the archive keeps only the current
# revision's source, and a point release's patches then reach both sides alike.
debian_version="$host_qt"

# The configuration. Off: every module but Core, Gui, Widgets and Test; OpenGL (the window
# paints with the raster engine); image formats other than PNG (the icons and the picture are
# PNG); the pen-tablet events, whose Windows header wintab.h Debian's source leaves out; and
# dynamicgl, because with OpenGL off Qt 6.4.2's Windows plugin otherwise still compiles a
# function that needs it; widgets and dialogs no window of the program shows (graphics view,
# MDI, calendars and date editors, the font and colour dialogs, wizards, ...) and Markdown.
# Direct2D stays on although nothing uses its platform plugin: Qt 6.4.2 compiles the DirectWrite
# font database only with it, and the Windows plugin needs that. The third-party libraries come
# from Qt's own copies, never from the MinGW or host system (a stray zlib1.dll would make the
# program need a DLL).
options=(
    -DCMAKE_BUILD_TYPE=Release
    -DBUILD_SHARED_LIBS=OFF
    -DCMAKE_SYSTEM_NAME=Windows
    -DCMAKE_SYSTEM_PROCESSOR=x86_64
    -DCMAKE_C_COMPILER=x86_64-w64-mingw32-gcc-posix
    -DCMAKE_CXX_COMPILER=x86_64-w64-mingw32-g++-posix
    -DCMAKE_RC_COMPILER=x86_64-w64-mingw32-windres
    -DCMAKE_FIND_ROOT_PATH=/usr/x86_64-w64-mingw32
    -DCMAKE_FIND_ROOT_PATH_MODE_PROGRAM=NEVER
    -DCMAKE_FIND_ROOT_PATH_MODE_LIBRARY=ONLY
    -DCMAKE_FIND_ROOT_PATH_MODE_INCLUDE=ONLY
    -DCMAKE_FIND_ROOT_PATH_MODE_PACKAGE=ONLY
    -DQT_QMAKE_TARGET_MKSPEC=win32-g++
    -DQT_HOST_PATH=/usr
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
    -DQT_BUILD_EXAMPLES=OFF
    -DQT_BUILD_TESTS=OFF
    -DFEATURE_pkg_config=OFF
    -DFEATURE_sql=OFF
    -DFEATURE_network=OFF
    -DFEATURE_dbus=OFF
    -DFEATURE_opengl=OFF
    -DFEATURE_dynamicgl=OFF
    -DFEATURE_vulkan=OFF
    -DFEATURE_printsupport=OFF
    -DFEATURE_concurrent=OFF
    -DFEATURE_xml=OFF
    -DFEATURE_tabletevent=OFF
    -DFEATURE_sessionmanager=OFF
    -DFEATURE_jpeg=OFF
    -DFEATURE_gif=OFF
    -DFEATURE_ico=OFF
    -DFEATURE_icu=OFF
    -DFEATURE_graphicsview=OFF
    -DFEATURE_mdiarea=OFF
    -DFEATURE_calendarwidget=OFF
    -DFEATURE_datetimeedit=OFF
    -DFEATURE_dial=OFF
    -DFEATURE_lcdnumber=OFF
    -DFEATURE_splashscreen=OFF
    -DFEATURE_wizard=OFF
    -DFEATURE_fontcombobox=OFF
    -DFEATURE_fontdialog=OFF
    -DFEATURE_colordialog=OFF
    -DFEATURE_columnview=OFF
    -DFEATURE_undoview=OFF
    -DFEATURE_keysequenceedit=OFF
    -DFEATURE_textmarkdownreader=OFF
    -DFEATURE_textmarkdownwriter=OFF
    -DFEATURE_zstd=OFF
    -DFEATURE_system_zlib=OFF
    -DFEATURE_system_png=OFF
    -DFEATURE_system_freetype=OFF
    -DFEATURE_system_harfbuzz=OFF
    -DFEATURE_system_pcre2=OFF
    -DFEATURE_system_doubleconversion=OFF
    -DFEATURE_system_libb2=OFF
)
compiler_version=$(x86_64-w64-mingw32-g++-posix -dumpfullversion 2>/dev/null || echo none)
recipe="qt6-base $debian_version; x86_64-w64-mingw32-g++-posix $compiler_version; ${options[*]}"
key=$(printf '%s' "$recipe" | sha256sum | cut -c1-12)
prefix="$cache/qt-$qt_version-win64-static-$key"

if [ -f "$prefix/.complete" ] && [ "$mode" = build ]; then
    say "cached: $prefix ($(cat "$prefix/.complete"))"
    echo "$prefix"
    exit 0
fi

mkdir -p "$cache"
if [ "$mode" = build ]; then
    # One build of a recipe at a time: a second run waits for the first and then finds its
    # result.
    exec 9>"$cache/qt-$key.lock"
    flock 9
    if [ -f "$prefix/.complete" ]; then
        echo "$prefix"
        exit 0
    fi
fi
# One fetch at a time.
exec 8>"$cache/sources.lock"
flock 8

# --- The source: Debian's qt6-base, through a private apt list. apt checks the Sources index
# against the archive's signature and the .dsc against the index; the tarballs are then checked
# against the .dsc's SHA-256 sums.
sources="$cache/sources/qt6-base_$debian_version"
dsc="$sources/qt6-base_${debian_version#*:}.dsc"
verify_sources() {
    [ -f "$dsc" ] || return 1
    local listed
    listed=$(sed -n '/^Checksums-Sha256:/,/^[^ ]/{/^ /p}' "$dsc")
    [ -n "$listed" ] || return 1
    (cd "$sources" && printf '%s\n' "$listed" | awk '{print $1 "  " $3}' | sha256sum --quiet -c -)
}
if ! verify_sources 2>/dev/null; then
    # The mirror, suite and component the host's own qt6-base-dev came from.
    origin=$(apt-cache policy qt6-base-dev |
        awk '/\*\*\*/ {mine = 1; next} mine && $3 ~ /\// && $NF == "Packages" {print $2, $3; exit}')
    if [ -z "$origin" ]; then
        say "cannot tell which archive the host's qt6-base-dev came from (apt-cache policy)"
        exit 1
    fi
    mirror=${origin%% *}
    suite=${origin#* }
    apt_dir="$cache/apt"
    mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$sources"
    echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $mirror" \
        "${suite%%/*} ${suite#*/}" >"$apt_dir/sources.list"
    apt_options=(-o "Dir::Etc::SourceList=$apt_dir/sources.list" -o Dir::Etc::SourceParts=-
        -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache")
    # As root apt would hand the download to its own user, who cannot write into this cache.
    [ "$(id -u)" -eq 0 ] && apt_options+=(-o APT::Sandbox::User=root)
    say "fetching qt6-base $debian_version from $mirror ${suite%%/*} (source)"
    apt-get "${apt_options[@]}" -qq update >&2
    (cd "$sources" && apt-get "${apt_options[@]}" -qq source --download-only \
        "qt6-base=$debian_version" >&2)
    if ! verify_sources; then
        say "the downloaded source does not match its .dsc"
        exit 1
    fi
fi
say "source verified: $(basename "$dsc")"
flock -u 8
if [ "$mode" = print-source ]; then
    ls "$sources"/*.orig.tar.*
    exit 0
fi
[ "$mode" = fetch ] && exit 0

# --- Unpack (with Debian's patches, as the host's Qt), configure, build, install.
work="$cache/qt-build-$key"
rm -rf "$work" "$prefix"
mkdir -p "$work"
dpkg-source -q -x "$dsc" "$work/src" >&2 2>"$work/unpack.log" || {
    cat "$work/unpack.log" >&2
    exit 1
}
start=$(date +%s)
say "configuring into $work/build"
if ! cmake -S "$work/src" -B "$work/build" -G Ninja -DCMAKE_INSTALL_PREFIX="$prefix" \
    "${options[@]}" >"$work/configure.log" 2>&1; then
    tail -n 40 "$work/configure.log" >&2
    say "configure failed; the whole log is $work/configure.log"
    exit 1
fi
configured=$(date +%s)
say "building with $jobs jobs under nice (about 1,000 steps; $work/build.log)"
if ! nice -n 10 cmake --build "$work/build" --parallel "$jobs" >"$work/build.log" 2>&1; then
    tail -n 40 "$work/build.log" >&2
    say "build failed; the whole log is $work/build.log"
    exit 1
fi
built=$(date +%s)
cmake --install "$work/build" >"$work/install.log" 2>&1 || {
    tail -n 20 "$work/install.log" >&2
    exit 1
}
end=$(date +%s)
summary="configure $((configured - start)) s, build $((built - configured)) s, install"
summary+=" $((end - built)) s, on $(nproc) cores; load average at the end"
summary+=" $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%s\n' "$recipe" >"$prefix/recipe.txt"
printf '%s\n' "$summary" >"$prefix/.complete"
[ "$keep_build" -eq 1 ] || rm -rf "$work"
say "Qt $qt_version for Windows built in $(((end - start) / 60)) min: $summary"
say "installed: $prefix ($(du -sh "$prefix" | cut -f1))"
echo "$prefix"
