#!/bin/sh
# Runs one Windows program in the test environment that "prefix.sh up ROOT" prepared; CMake's
# cross-compiling emulator, so ctest calls it for every test exe.
#
#   run.sh ROOT PROGRAM [ARGS...]
#
# The prefix is $WINEPREFIX when set (e.g. ROOT/win64 for the 64-bit runs), else the first one
# that prefix.sh made. Wine's exit status is passed through; it is the Windows exit code modulo
# 256. The loader is the one host.sh picks for this host. A test program (*_tests.exe) that Wine
# crashes on at its end after its tests passed is run once more (see below).
if [ $# -lt 2 ]; then
    echo "usage: run.sh ROOT PROGRAM [ARGS...]" >&2
    exit 2
fi
if [ ! -r "$1/env" ]; then
    echo "run.sh: $1/env not found; run prefix.sh up $1 first" >&2
    exit 125
fi
root=$(cd "$1" && pwd -P)
shift
# shellcheck source=/dev/null
. "$root/env"
WINEPREFIX=${WINEPREFIX:-${DEFAULT_PREFIX:-$root/win32}}
# Each prefix has a display of its own (prefix.sh).
case ${WINEPREFIX##*/} in
win32) DISPLAY=${DISPLAY_win32:-} XVFB_PID=${XVFB_PID_win32:-} ;;
win64) DISPLAY=${DISPLAY_win64:-} XVFB_PID=${XVFB_PID_win64:-} ;;
esac
# Without its display every window a test opens fails, in ways that do not point here.
if [ -z "$XVFB_PID" ] || [ "$(cat "/proc/$XVFB_PID/comm" 2>/dev/null)" != Xvfb ]; then
    echo "run.sh: the Xvfb of $WINEPREFIX (pid $XVFB_PID) is gone; run prefix.sh up $root again" >&2
    exit 125
fi
export DISPLAY
WINEDEBUG=${WINEDEBUG:--all}
export WINEPREFIX WINEDEBUG
# shellcheck source=tests/wine/host.sh
. "$(dirname "$0")/host.sh"
select_wine_loader
case $1 in
*_tests.exe) ;;
*) exec "$WINE" "$@" ;;
esac

# A test program. Now and then (about once in 750 runs of a unit test under load) the Wine
# process itself dies of SIGSEGV as the program ends, after GoogleTest has printed its result: a
# Windows fault would end the program with an exception code instead. Exactly that case, a
# crash after "[  PASSED  ]" with no "[  FAILED  ]", is run once more, and the output says so.
output=$(mktemp)
status_file=$(mktemp)
trap 'rm -f "$output" "$status_file"' EXIT
{
    "$WINE" "$@"
    echo $? >"$status_file"
} | tee "$output"
status=$(cat "$status_file")
if [ "$status" -eq 139 ] && grep -q '^\[  PASSED  \]' "$output" &&
    ! grep -q '^\[  FAILED  \]' "$output"; then
    echo "run.sh: Wine crashed (SIGSEGV) as the test program ended, after the tests had passed;" \
        "running it once more"
    rm -f "$output" "$status_file"
    exec "$WINE" "$@"
fi
exit "$status"
