# Helpers for the scripts that try Tolvane on a fresh Debian 12: a minimal bookworm root made by
# debootstrap, commands run inside it, a virtual X server on the host and a wait for a window.
# Sourced, not run. Needs root (chroot, mount), debootstrap, Xvfb and xdotool.

: "${DEBIAN_MIRROR:=http://deb.debian.org/debian}"
: "${DEBIAN_SECURITY_MIRROR:=http://deb.debian.org/debian-security}"
# The debootstrapped root is kept as a tarball between runs on one machine: making it takes a
# minute or two of downloads, unpacking it a few seconds. A clean machine makes it anew.
: "${TOLVANE_CACHE_DIR:=${XDG_CACHE_HOME:-$HOME/.cache}/tolvane}"

require_root()
{
    if [ "$(id -u)" -ne 0 ]; then
        log "needs root for chroot and mounts: run it with sudo"
        exit 1
    fi
}

log()
{
    printf '%s: %s\n' "${LOG_TAG:-fresh-root}" "$*" >&2
}

now()
{
    date +%s.%N
}

# Seconds from $1 to now, to one decimal.
elapsed()
{
    awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.1f", b - a }'
}

# Prints the path of a tarball of a minimal Debian 12 root (debootstrap's minbase: apt, dpkg
# and the essential packages, nothing else), making it first when the cache has none.
fresh_root_tarball()
{
    local tarball="$TOLVANE_CACHE_DIR/bookworm-minbase.tar"
    if [ ! -s "$tarball" ]; then
        mkdir -p "$TOLVANE_CACHE_DIR"
        local work
        work=$(mktemp -d /var/tmp/tolvane-debootstrap.XXXXXX)
        log "debootstrap of a minimal bookworm root (cached in $tarball)"
        if ! debootstrap --variant=minbase bookworm "$work/root" "$DEBIAN_MIRROR" \
            >"$work/debootstrap.log" 2>&1; then
            tail -n 30 "$work/debootstrap.log" >&2
            rm -rf "$work"
            return 1
        fi
        # The archive areas of a standard installation, so the root gets the same updates a
        # person's Debian 12 has.
        cat >"$work/root/etc/apt/sources.list" <<EOF
deb $DEBIAN_MIRROR bookworm main
deb $DEBIAN_MIRROR bookworm-updates main
deb $DEBIAN_SECURITY_MIRROR bookworm-security main
EOF
        rm -rf "$work/root/var/cache/apt/archives/"*.deb
        tar -C "$work/root" --numeric-owner -cf "$tarball.part" . && mv "$tarball.part" "$tarball"
        rm -rf "$work"
    fi
    printf '%s\n' "$tarball"
}

# Unpacks a new fresh root into the empty or missing directory $1.
fresh_root_new()
{
    local root=$1 tarball
    tarball=$(fresh_root_tarball) || return 1
    mkdir -p "$root"
    tar -C "$root" --numeric-owner -xpf "$tarball"
    cp -L /etc/resolv.conf "$root/etc/resolv.conf"
}

# Runs a command as root inside the root $1, with a clean environment (add VAR=value words
# before the command). It runs in mount and PID namespaces of its own: the mounts it needs
# and every process it starts (an X client, a build) end with it, even when it is killed.
in_root()
{
    local root=$1
    shift
    unshare --mount --pid --fork --kill-child -- /bin/bash -c '
        root=$1
        shift
        mount --rbind /dev "$root/dev"
        mount -t proc proc "$root/proc"
        mount -t sysfs sysfs "$root/sys"
        mount -t tmpfs tmpfs "$root/tmp"
        exec chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM=dumb \
            PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
            DEBIAN_FRONTEND=noninteractive "$@"
    ' in_root "$root" "$@"
}

# Ends a command started with `in_root ... &` whose $! is $1 (the shell that runs it). unshare
# passes on no gentler signal: SIGKILL to it ends the command's PID namespace, with every
# process in it.
stop_in_root()
{
    local child
    for child in $(ps -o pid= --ppid "$1"); do
        kill -KILL "$child" 2>/dev/null || true
    done
    kill -KILL "$1" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
}

# Removes a root made by fresh_root_new (nothing is mounted in it outside in_root).
fresh_root_remove()
{
    [ -n "$1" ] && [ -d "$1" ] && rm -rf --one-file-system "$1"
}

# Starts Xvfb on a free display; sets XVFB_PID and XVFB_DISPLAY (":N"). Programs inside a
# fresh root reach it through the abstract socket, which a chroot shares with the host.
start_xvfb()
{
    local numberFile
    numberFile=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$numberFile" >/dev/null 2>&1 &
    XVFB_PID=$!
    local tries=0
    while [ ! -s "$numberFile" ] && [ $tries -lt 100 ]; do
        sleep 0.1
        tries=$((tries + 1))
    done
    XVFB_DISPLAY=":$(head -n 1 "$numberFile")"
    rm -f "$numberFile"
    if [ "$XVFB_DISPLAY" = ":" ]; then
        kill "$XVFB_PID" 2>/dev/null
        log "Xvfb did not report a display number"
        return 1
    fi
}

stop_xvfb()
{
    if [ -n "${XVFB_PID:-}" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
        XVFB_PID=
    fi
}

# Waits until a viewable (mapped) window whose name matches $1 exists on $XVFB_DISPLAY.
# Gives up after $2 seconds, or as soon as process $3 (the program or its build) has ended.
wait_for_window()
{
    local name=$1 timeout=$2 pid=$3
    local deadline=$((SECONDS + timeout))
    while [ $SECONDS -lt $deadline ]; do
        if DISPLAY=$XVFB_DISPLAY xdotool search --onlyvisible --name "$name" >/dev/null 2>&1; then
            return 0
        fi
        if ! kill -0 "$pid" 2>/dev/null; then
            return 2
        fi
        sleep 0.2
    done
    return 1
}
