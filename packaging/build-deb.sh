#!/usr/bin/env bash
# Builds the Debian package: configures a build of its own (no tests, no benchmarks, Debian's
# hardening flags from dpkg-buildflags), builds it and lets CPack's DEB generator make
# tolvane_<version>_<architecture>.deb in the build directory.
#
#   packaging/build-deb.sh [BUILD_DIR] [JOBS]
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${1:-build-package}
jobs=${2:-2}

# The flags Debian builds its own packages with: stack protector, fortified functions,
# read-only relocations and immediate binding (lintian checks the binaries for them).
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
ldflags=$(dpkg-buildflags --get LDFLAGS)

cmake -S "$source_dir" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_INSTALL_PREFIX=/usr -DTOLVANE_BUILD_TESTS=OFF -DTOLVANE_BUILD_BENCH=OFF \
    -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" \
    -DCMAKE_STRIP="$source_dir/packaging/debian/strip.sh"
cmake --build "$build_dir" -j "$jobs"
rm -f "$build_dir"/*.deb
(cd "$build_dir" && cpack -G DEB)
ls "$build_dir"/*.deb
