#!/usr/bin/env bash
# Times one of the README's two commands as a new user meets it: a fresh, minimal Debian 12
# root with nothing installed by hand, the repository copied in, then `make run` until the
# calculator's window is mapped (under Xvfb), or `make test` until it ends.
#
#   packaging/fresh-machine-times.sh [--log FILE] CHECKOUT run|test
#
# CHECKOUT is a git checkout; its committed HEAD is what gets copied. `make` itself is not in a
# minimal Debian, so it is installed first and timed apart. Needs root, debootstrap, Xvfb and
# xdotool (make test-package's set-up installs them).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
LOG_TAG=fresh-machine
# shellcheck source=lib/fresh-root.sh
. "$here/lib/fresh-root.sh"
require_root

logFile=/dev/null
if [ "${1:-}" = "--log" ]; then
    logFile=$2
    shift 2
fi
if [ $# -ne 2 ] || { [ "$2" != run ] && [ "$2" != test ]; }; then
    echo "usage: $0 [--log FILE] CHECKOUT run|test" >&2
    exit 2
fi
checkout=$1
command=$2

work=$(mktemp -d /var/tmp/tolvane-fresh.XXXXXX)
root=$work/root
cleanup()
{
    stop_xvfb
    fresh_root_remove "$root"
    rm -rf "$work"
}
trap cleanup EXIT

fresh_root_new "$root"
mkdir -p "$root/root/tolvane"
git -C "$checkout" archive --format=tar HEAD | tar -C "$root/root/tolvane" -xf -
log "$(git -C "$checkout" log -1 --format='%h %s') in a fresh bookworm root"

start=$(now)
in_root "$root" /bin/sh -c 'apt-get update -qq && apt-get install -y -qq make' >>"$logFile" 2>&1
log "make installed in $(elapsed "$start") s"

if [ "$command" = run ]; then
    start_xvfb
    start=$(now)
    in_root "$root" DISPLAY="$XVFB_DISPLAY" /bin/sh -c 'cd /root/tolvane && make run' \
        >>"$logFile" 2>&1 &
    pid=$!
    status=0
    wait_for_window 'Tolvane' 3600 "$pid" || status=$?
    seconds=$(elapsed "$start")
    stop_in_root "$pid"
    if [ $status -ne 0 ]; then
        log "make run showed no window (status $status) after $seconds s"
        exit 1
    fi
    echo "make run: window mapped after $seconds s"
else
    start=$(now)
    status=0
    in_root "$root" /bin/sh -c 'cd /root/tolvane && make test' >>"$logFile" 2>&1 || status=$?
    seconds=$(elapsed "$start")
    echo "make test: exit status $status after $seconds s"
    exit $status
fi
