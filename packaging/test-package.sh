#!/usr/bin/env bash
# Proves the Debian package the way a person meets it: lintian on the .deb, then in a fresh,
# minimal Debian 12 root `apt install ./tolvane_*.deb` (with no recommended packages, so the
# dependencies alone must be enough to start), the installed `tolvane` until its window is
# mapped under Xvfb, the installed `tolvane-eval` on a few lines, `apt remove tolvane`, and a
# search for anything of the package left behind.
#
#   packaging/test-package.sh PACKAGE.deb
#
# Needs root, lintian, debootstrap, Xvfb and xdotool (`make test-package` installs them). The
# debootstrapped root is cached between runs (packaging/lib/fresh-root.sh); downloaded packages
# are not, so each run installs as a new machine does.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
LOG_TAG=test-package
# shellcheck source=lib/fresh-root.sh
. "$here/lib/fresh-root.sh"
require_root

if [ $# -ne 1 ] || [ ! -f "$1" ]; then
    echo "usage: $0 PACKAGE.deb (one file)" >&2
    exit 2
fi
deb=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
version=$(dpkg-deb -f "$deb" Version)
package=$(dpkg-deb -f "$deb" Package)
appName='Tolvane'
began=$(now)
failures=0
fail()
{
    log "FAIL: $*"
    failures=$((failures + 1))
}

work=$(mktemp -d /var/tmp/tolvane-package-test.XXXXXX)
root=$work/root
cleanup()
{
    stop_xvfb
    fresh_root_remove "$root"
    rm -rf "$work"
}
trap cleanup EXIT

# 1. lintian: errors fail; warnings and notes are shown (there are none today).
step=$(now)
lintianStatus=0
lintian --fail-on error "$deb" >"$work/lintian" 2>&1 ||
    lintianStatus=$?
grep -v 'root privileges' "$work/lintian" >&2 || true
[ $lintianStatus -eq 0 ] || fail "lintian reports errors"
log "lintian: status $lintianStatus ($(elapsed "$step") s)"

# 2. A fresh root, and the package installed with apt as a person installs it.
step=$(now)
fresh_root_new "$root"
log "fresh bookworm root ready ($(elapsed "$step") s)"
step=$(now)
cp "$deb" "$root/var/tmp/"
debInRoot=/var/tmp/$(basename "$deb")
# What the package will own, and which of its folders the root already has.
dpkg-deb --fsys-tarfile "$deb" | tar -t | sed -e 's|^\./|/|' -e 's|/$||' | grep -v '^$' \
    >"$work/contents"
while read -r path; do
    if [ -d "$root$path" ]; then echo "$path"; fi
done <"$work/contents" >"$work/folders-before"
if ! in_root "$root" /bin/sh -c "apt-get update -qq && apt-get install -y -qq \
        --no-install-recommends $debInRoot" >"$work/install.log" 2>&1; then
    tail -n 30 "$work/install.log" >&2
    fail "apt install of the package failed"
    exit 1
fi
installedVersion=$(in_root "$root" dpkg-query -W -f='${Version}' "$package")
[ "$installedVersion" = "$version" ] || fail "installed version is '$installedVersion'"
log "apt install ./$(basename "$deb"): $(grep -c '^Setting up' "$work/install.log") packages" \
    "set up ($(elapsed "$step") s)"

# 3. The installed program opens its window.
step=$(now)
start_xvfb
in_root "$root" DISPLAY="$XVFB_DISPLAY" QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR=/tmp tolvane \
    >"$work/tolvane.log" 2>&1 &
programPid=$!
windowStatus=0
wait_for_window "$appName" 60 "$programPid" || windowStatus=$?
if [ $windowStatus -eq 0 ]; then
    window=$(DISPLAY=$XVFB_DISPLAY xdotool search --onlyvisible --name "$appName" | head -n 1)
    title=$(DISPLAY=$XVFB_DISPLAY xdotool getwindowname "$window")
    # The desktop entry's StartupWMClass must match, or a dock cannot join window and entry.
    wmClass=$(DISPLAY=$XVFB_DISPLAY xprop -id "$window" WM_CLASS 2>/dev/null || true)
    log "window \"$title\" mapped, $wmClass ($(elapsed "$step") s)"
    [[ "$wmClass" == *'"tolvane"'* ]] || fail "WM_CLASS is not tolvane: $wmClass"
else
    cat "$work/tolvane.log" >&2
    fail "the installed tolvane mapped no window (status $windowStatus)"
fi
stop_in_root "$programPid"
stop_xvfb

# 4. The installed tolvane-eval answers as the sheet does.
expected=$'1+2=3\nsqrt(2)=1.4142135623731\nintax(10000)=745\na*b@@a=2,b=3=6\n5+=加法表达式错误'
actual=$(printf '1+2\nsqrt(2)\nintax(10000)\na*b@@a=2,b=3\n5+\n' |
    in_root "$root" tolvane-eval 2>&1) || true
[ "$actual" = "$expected" ] || fail "tolvane-eval printed:"$'\n'"$actual"
reported=$(in_root "$root" tolvane-eval --version)
[ "$reported" = "tolvane-eval $version" ] || fail "tolvane-eval --version printed '$reported'"
log "tolvane-eval: $(printf '%s\n' "$expected" | wc -l) lines as expected; $reported"

# 5. apt remove leaves nothing of the package: none of its files, none of the folders it
# brought, no maintainer scripts or lists in dpkg's database, no other file named after it.
step=$(now)
in_root "$root" apt-get remove -y -qq "$package" >"$work/remove.log" 2>&1 ||
    fail "apt remove failed: $(tail -n 5 "$work/remove.log")"
status=$(in_root "$root" dpkg-query -W -f='${db:Status-Abbrev}' "$package" 2>/dev/null || true)
[ -z "$status" ] || [ "$status" = "un " ] || fail "dpkg still knows $package: '$status'"
# A folder may stay when the root had it before or another package owns it too.
cp "$work/contents" "$work/folders-before" "$root/var/tmp/"
leftovers=$(in_root "$root" /bin/sh -c '
    while read -r path; do
        if [ -e "$path" ] || [ -L "$path" ]; then
            if [ -d "$path" ] && ! [ -L "$path" ]; then
                grep -qxF "$path" /var/tmp/folders-before && continue
                dpkg-query -S "$path" >/dev/null 2>&1 && continue
            fi
            echo "$path"
        fi
    done </var/tmp/contents')
left=0
if [ -n "$leftovers" ]; then
    left=$(printf '%s\n' "$leftovers" | wc -l)
    fail "left behind:"$'\n'"$leftovers"
fi
# Home folders are the users' own: the calculator that ran above keeps its recovery file in
# ~/.local/share/tolvane, which, like every program's data in a home, apt leaves alone.
others=$(cd "$root" && find . -xdev \( -path ./var/tmp -o -path ./var/log -o -path ./proc \
    -o -path ./var/cache/apt -o -path ./var/lib/apt/lists -o -path ./root -o -path ./home \) \
    -prune -o -iname "*$package*" -print)
[ -z "$others" ] || fail "files named after the package remain:"$'\n'"$others"
log "apt remove: $(wc -l <"$work/contents") paths checked, $left left ($(elapsed "$step") s)"

if [ $failures -ne 0 ]; then
    log "$failures check(s) failed ($(elapsed "$began") s)"
    exit 1
fi
log "$(basename "$deb") installs, starts, evaluates and uninstalls cleanly ($(elapsed "$began") s)"
