#!/bin/sh
# Runs one Windows program in the test environment that "prefix.sh up ROOT" prepared; CMake's
# cross-compiling emulator, so ctest calls it for every test exe.
#
#   run.sh ROOT PROGRAM [ARGS...]
#
# The prefix is $WINEPREFIX when set (e.g. ROOT/win64 for the 64-bit runs), else the first one
# that prefix.sh made. Wine's exit status is passed through; it is the Windows exit code modulo
# 256. The loader is the one host.sh picks for this host.
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
# Without its display every window a test opens fails, in ways that do not point here.
if [ "$(cat "/proc/$XVFB_PID/comm" 2>/dev/null)" != Xvfb ]; then
    echo "run.sh: the Xvfb of $root (pid $XVFB_PID) is gone; run prefix.sh up $root again" >&2
    exit 125
fi
export DISPLAY
WINEPREFIX=${WINEPREFIX:-${DEFAULT_PREFIX:-$root/win32}}
WINEDEBUG=${WINEDEBUG:--all}
export WINEPREFIX WINEDEBUG
# shellcheck source=tests/wine/host.sh
. "$(dirname "$0")/host.sh"
select_wine_loader
exec "$WINE" "$@"
