#!/usr/bin/env bash
# Makes the two Windows downloads from a Windows build (scripts/build-windows.sh):
#   tolvane-<version>-win64-setup.exe   the installer (NSIS, packaging/windows/tolvane.nsi)
#   tolvane-<version>-win64.zip         the portable zip: a folder Tolvane-<version> with the two
#                                       programs and the marker portable.txt
# Both carry the licence texts of what tolvane.exe links (notices.py).
#
#   packaging/windows/build-packages.sh BUILD_DIR OUT_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build_dir=$(cd "$1" && pwd)
mkdir -p "$2"
out=$(cd "$2" && pwd)

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build_dir/CMakeCache.txt")
[ -n "$version" ] || { echo "build-packages: no version in $build_dir/CMakeCache.txt" >&2; exit 1; }
stage="$out/stage"
rm -rf "$stage" "$out"/tolvane-*-win64*
mkdir -p "$stage/licenses"

# The programs without their symbol tables: nobody debugs the download, and it halves its size.
# qt_standard_project_setup() puts the Windows programs built after it at the top of the build.
for program in tolvane.exe tools/tolvane-eval.exe; do
    x86_64-w64-mingw32-strip -o "$stage/$(basename "$program")" "$build_dir/$program"
done
python3 "$here/notices.py" "$(bash "$root/scripts/build-qt-windows.sh" --print-source)" \
    "$stage/licenses"
# Files a person opens in Notepad get CR LF line ends and a BOM, which every Notepad reads as
# UTF-8.
to_windows_text() { printf '\xef\xbb\xbf'; sed 's/$/\r/' "$1"; }

setup="$out/tolvane-$version-win64-setup.exe"
makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DSTAGE="$stage" \
    -DICON="$root/packaging/icons/tolvane.ico" -DOUTFILE="$setup" "$here/tolvane.nsi" >&2

# The zip: one folder, so unpacking never scatters files, with the marker that keeps the
# program's files inside it. Time stamps of the last commit, so the same source gives the same zip.
folder="$out/zip/Tolvane-$version"
rm -rf "$out/zip"
mkdir -p "$folder"
cp -r "$stage/tolvane.exe" "$stage/tolvane-eval.exe" "$stage/licenses" "$folder/"
to_windows_text "$here/portable.txt" >"$folder/portable.txt"
stamp=$(git -C "$root" log -1 --format=%cd --date=format:%Y%m%d%H%M.%S 2>/dev/null ||
    date +%Y%m%d%H%M.%S)
find "$out/zip" -exec touch -t "$stamp" {} +
zip="$out/tolvane-$version-win64.zip"
(cd "$out/zip" && find "Tolvane-$version" | LC_ALL=C sort | zip -X -q -9 "$zip" -@)
rm -rf "$out/zip" "$stage"

ls -l "$setup" "$zip" >&2
echo "$setup"
echo "$zip"
