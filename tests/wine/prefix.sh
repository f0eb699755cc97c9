#!/bin/bash
# The Wine test environment under ROOT: a 32-bit and a 64-bit prefix (or the ones named), an Xvfb
# display per prefix for the windows that tests show, a persistent wineserver per prefix so that
# each test process starts in milliseconds instead of seconds, and a desktop process per prefix
# (see ensure_desktop).
#
#   prefix.sh up ROOT [ARCH...]     create what is missing, start what is not running, write
#                                   ROOT/env; ARCH is win32 or win64 (default: both)
#   prefix.sh down ROOT [ARCH...]   end every Wine process of the prefixes, then their displays
#
# ROOT/env holds shell assignments that run.sh sources: DISPLAY_<arch> and XVFB_PID_<arch> per
# prefix, and DEFAULT_PREFIX with its DISPLAY and XVFB_PID. Each prefix has a display of its own:
# two virtual desktops on one display overlap, and the one in front takes the pointer from the
# other. On a host that runs no 32-bit code (see host.sh) only win64 prefixes can be made.
set -euo pipefail

# shellcheck source=tests/wine/host.sh
. "$(dirname "$0")/host.sh"
select_wine_loader
ARCHES="win32 win64"

die() {
    echo "prefix.sh: $*" >&2
    exit 1
}

usage() {
    echo "usage: prefix.sh up|down ROOT" >&2
    exit 2
}

# The wineserver serving a prefix works in a directory named after the prefix's device and inode
# (upstream: /tmp/.wine-UID/server-DEV-INO; Debian: /tmp/wine-XXXXXX/server-DEV-INO), so its
# working directory identifies it whatever the distribution's layout.
server_pid() {
    local prefix=$1 id dir pid
    [ -d "$prefix" ] || return 0
    # shellcheck disable=SC2046,SC2183 # stat prints the two numbers
    id=$(printf 'server-%x-%x' $(stat -L -c '%d %i' "$prefix"))
    for dir in /proc/[0-9]*; do
        case $(readlink "$dir/exe" 2>/dev/null) in
        */wineserver | */wineserver32 | */wineserver64) ;;
        *) continue ;;
        esac
        if [ "$(basename "$(readlink "$dir/cwd" 2>/dev/null)")" = "$id" ]; then
            pid=${dir#/proc/}
            echo "$pid"
            return 0
        fi
    done
}

# Persistent means the last persistence option on the command line is a bare -p (Debian's
# wrapper puts -p0 in front of whatever the caller gives).
is_persistent() {
    local arg last=""
    while IFS= read -r -d '' arg; do
        case $arg in
        -p | -p[0-9]* | --persistent | --persistent=*) last=$arg ;;
        esac
    done <"/proc/$1/cmdline"
    [ "$last" = "-p" ] || [ "$last" = "--persistent" ]
}

prefix_arch() {
    [ -r "$1/system.reg" ] || return 0
    sed -n 's/^#arch=//p' "$1/system.reg" | head -n1
}

check_arch() {
    local prefix=$1 arch=$2 found
    found=$(prefix_arch "$prefix")
    if [ -n "$found" ] && [ "$found" != "$arch" ]; then
        die "$prefix is a $found prefix, expected $arch; remove it or use another ROOT"
    fi
}

stop_server() {
    local prefix=$1
    [ -n "$(server_pid "$prefix")" ] || return 0
    WINEPREFIX=$prefix wineserver -k || true
    WINEPREFIX=$prefix timeout 30 wineserver -w || die "wineserver of $prefix did not stop"
}

# A wineserver started by a plain wine call exits when its last client does; wait for that rather
# than kill processes that someone may still be using. The server reads WINEARCH when it creates a
# fresh prefix's registry, so it is started with the prefix's architecture.
ensure_server() {
    local prefix=$1 arch=$2 pid
    pid=$(server_pid "$prefix")
    if [ -n "$pid" ] && is_persistent "$pid"; then
        return 0
    fi
    if [ -n "$pid" ]; then
        echo "prefix.sh: waiting for the transient wineserver of $prefix to exit" >&2
        WINEPREFIX=$prefix timeout 60 wineserver -w || die "wineserver of $prefix is still busy"
    fi
    mkdir -p "$prefix"
    # Daemons must not keep the caller's output open: ctest waits for its pipe to close.
    WINEPREFIX=$prefix WINEARCH=$arch wineserver -p </dev/null >/dev/null 2>&1 9>&-
}

# The server keeps the registry in memory, so system.reg may not exist yet for a prefix that this
# script booted a moment ago; the marker file covers that window.
ensure_prefix() {
    local prefix=$1 arch=$2 log=$3
    if [ -e "$prefix/.wineboot-done" ] || [ -e "$prefix/system.reg" ]; then
        return 0
    fi
    if ! WINEPREFIX=$prefix WINEARCH=$arch WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml=" \
        "$WINE" wineboot -i </dev/null >"$log" 2>&1 9>&-; then
        die "wineboot -i failed for $prefix, see $log"
    fi
    touch "$prefix/.wineboot-done"
    # wineboot leaves a desktop process of its own behind for a while; a fresh server lets the
    # desktop below be the one that stays.
    stop_server "$prefix"
    ensure_server "$prefix" "$arch"
}

# With no window manager on the display, Wine waits up to two seconds for each managed window to
# be withdrawn when it closes (every message box answered would cost that); unmanaged windows
# close at once and draw their own caption.
#
# Tests run in a virtual desktop (SETUP_WINE_DESKTOP=virtual, the default): one X window holds
# every Wine window, and which window is in front and takes the keys is Wine's alone. As separate X
# windows (SETUP_WINE_DESKTOP=windows, for the scripts that capture single windows), focus events
# from the X server, which arrive late and without a window manager to order them, now and then
# send the foreground to the desktop just after a test has brought its dialog forward.
configure_prefix() {
    local prefix=$1 file=$1/setup-test.reg desktop
    case ${SETUP_WINE_DESKTOP:-virtual} in
    virtual) desktop='"Default"' ;;
    windows) desktop=- ;;
    *) die "SETUP_WINE_DESKTOP is virtual or windows, not '$SETUP_WINE_DESKTOP'" ;;
    esac
    printf '%s\r\n' REGEDIT4 '' '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]' '"Managed"="N"' '' \
        '[HKEY_CURRENT_USER\Software\Wine\Explorer]' "\"Desktop\"=$desktop" '' \
        '[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]' '"Default"="1280x1024"' '' >"$file"
    WINEPREFIX=$prefix WINEDEBUG=-all "$WINE" regedit /s 'Z:'"${file//\//\\}" </dev/null \
        >/dev/null 2>&1 9>&- || die "cannot configure $prefix"
}

# Prints the pids of the prefix's processes whose command line matches the pattern (pgrep -f).
prefix_processes() {
    local prefix=$1 pattern=$2 pid
    for pid in $(pgrep -f -- "$pattern"); do
        if tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "WINEPREFIX=$prefix"; then
            echo "$pid"
        fi
    done
}

desktop_keeper_pid() {
    prefix_processes "$1" '^start\.exe /exec explorer\.exe' | head -n1
}

# A desktop started by a test holds that test's output; let it go before starting ours, which
# could not take over the desktop while it runs.
wait_for_foreign_desktop() {
    local prefix=$1
    for _ in $(seq 60); do
        [ -n "$(prefix_processes "$prefix" 'system32.explorer\.exe /desktop')" ] ||
            return 0
        sleep 1
    done
    die "a desktop process of $prefix does not end; stop it or run prefix.sh down first"
}

# The first program that opens a window makes Wine start the desktop process (explorer.exe
# /desktop), which inherits that program's standard output. ctest waits for a test's output to
# close, and the desktop lingers for many seconds after its last window, so every GUI test would
# last that long. A desktop started here, writing to a log, serves all tests instead; the start.exe
# that launches it stays attached to the desktop and so keeps it open.
ensure_desktop() {
    local prefix=$1 log=$2
    [ -z "$(desktop_keeper_pid "$prefix")" ] || return 0
    wait_for_foreign_desktop "$prefix"
    WINEPREFIX=$prefix WINEDEBUG=-all setsid "$WINE" explorer.exe /desktop \
        </dev/null >>"$log" 2>&1 9>&- &
    # It must still be there once the desktop is up, not merely have started. A fresh prefix on a
    # busy machine may take many seconds for its first desktop.
    for _ in $(seq 300); do
        sleep 0.2
        if [ -n "$(prefix_processes "$prefix" 'system32.explorer\.exe /desktop')" ] &&
            [ -n "$(desktop_keeper_pid "$prefix")" ]; then
            sleep 1
            [ -z "$(desktop_keeper_pid "$prefix")" ] || return 0
        fi
    done
    die "the desktop of $prefix did not start or did not stay, see $log"
}

# The display of a prefix: its number and its Xvfb's pid, or empty values.
display_of() {
    eval "DISPLAY=\${DISPLAY_$1:-} XVFB_PID=\${XVFB_PID_$1:-}"
}

xvfb_alive() {
    [ -n "${XVFB_PID:-}" ] && [ -n "${DISPLAY:-}" ] &&
        [ "$(cat "/proc/$XVFB_PID/comm" 2>/dev/null)" = Xvfb ] &&
        [ -S "/tmp/.X11-unix/X${DISPLAY#:}" ]
}

# -displayfd lets Xvfb pick a free display number itself, which avoids races with other users of
# the machine. setsid detaches it from the caller's terminal and process group.
start_xvfb() {
    local root=$1 arch=$2 numberfile=$1/$2-xvfb.display log=$1/$2-xvfb.log
    : >"$numberfile"
    setsid Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp \
        3>"$numberfile" >"$log" 2>&1 </dev/null 9>&- &
    XVFB_PID=$!
    for _ in $(seq 300); do
        grep -q '^[0-9]' "$numberfile" && break
        kill -0 "$XVFB_PID" 2>/dev/null || die "Xvfb failed, see $log"
        sleep 0.1
    done
    grep -q '^[0-9]' "$numberfile" || die "Xvfb did not report a display, see $log"
    [ "$(cat "/proc/$XVFB_PID/comm" 2>/dev/null)" = Xvfb ] || die "Xvfb pid $XVFB_PID not found"
    DISPLAY=":$(head -n1 "$numberfile")"
}

# Written to a temporary file first so that run.sh never sources half a file. Displays of prefixes
# not named in this call are kept while they run.
write_env() {
    local root=$1 arch default=${ARCHES%% *}
    {
        echo "# Written by prefix.sh up; sourced by run.sh."
        for arch in win32 win64; do
            display_of "$arch"
            xvfb_alive || continue
            echo "DISPLAY_$arch=$DISPLAY"
            echo "XVFB_PID_$arch=$XVFB_PID"
        done
        display_of "$default"
        echo "DEFAULT_PREFIX=$root/$default"
        echo "DISPLAY=$DISPLAY"
        echo "XVFB_PID=$XVFB_PID"
        echo "export DISPLAY"
    } >"$root/env.tmp"
    mv -f "$root/env.tmp" "$root/env"
}

load_env() {
    DISPLAY_win32="" XVFB_PID_win32="" DISPLAY_win64="" XVFB_PID_win64=""
    if [ -r "$1/env" ]; then
        # shellcheck disable=SC1091
        . "$1/env"
    fi
}

# A 32-bit prefix needs the 32-bit loader: say so plainly rather than let wineboot fail.
check_host_runs() {
    local reason
    case " $1 " in
    *" win32 "*)
        reason=$(host_no32_reason)
        [ -z "$reason" ] ||
            die "this host runs no 32-bit code ($reason): no win32 prefix; the x86 flavour's" \
                "tests need a host that runs 32-bit code, the x64 flavour's (build-x64) run here"
        ;;
    esac
}

up() {
    local root=$1 arch prefix
    check_host_runs "$ARCHES"
    load_env "$root"
    for arch in $ARCHES; do
        prefix=$root/$arch
        check_arch "$prefix" "$arch"
        display_of "$arch"
        if ! xvfb_alive; then
            start_xvfb "$root" "$arch"
            eval "DISPLAY_$arch=\$DISPLAY XVFB_PID_$arch=\$XVFB_PID"
            # Wine processes left from before belong to a display that is gone.
            stop_server "$prefix"
        fi
        export DISPLAY
        ensure_server "$prefix" "$arch"
        ensure_prefix "$prefix" "$arch" "$root/$arch-wineboot.log"
        configure_prefix "$prefix"
        ensure_desktop "$prefix" "$root/$arch-desktop.log"
    done
    write_env "$root"
}

down() {
    local root=$1 arch
    load_env "$root"
    for arch in $ARCHES; do
        stop_server "$root/$arch"
        display_of "$arch"
        xvfb_alive || continue
        kill "$XVFB_PID"
        for _ in $(seq 50); do
            kill -0 "$XVFB_PID" 2>/dev/null || break
            sleep 0.1
        done
        eval "DISPLAY_$arch= XVFB_PID_$arch="
    done
    local remaining=""
    for arch in win32 win64; do
        display_of "$arch"
        if xvfb_alive; then
            remaining="$remaining $arch"
        fi
    done
    if [ -n "$remaining" ]; then
        ARCHES=${remaining# }
        write_env "$root"
    else
        rm -f "$root/env"
    fi
}

main() {
    [ $# -ge 2 ] || usage
    local command=$1 root arch
    mkdir -p "$2"
    root=$(cd "$2" && pwd -P)
    shift 2
    if [ $# -gt 0 ]; then
        for arch in "$@"; do
            case $arch in
            win32 | win64) ;;
            *) usage ;;
            esac
        done
        ARCHES="$*"
    fi
    # One caller at a time per ROOT: two concurrent "up"s would start two servers or displays.
    # Whatever is started from here must not inherit descriptor 9, or it holds the lock for good.
    exec 9>"$root/.lock"
    flock 9
    case $command in
    up) up "$root" ;;
    down) down "$root" ;;
    *) usage ;;
    esac
}

main "$@"
