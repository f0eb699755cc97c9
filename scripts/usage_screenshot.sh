#!/bin/bash
# A picture of the usage box (setup.exe /?) in English for the documentation, taken from
# setup.exe running under Wine on Xvfb.
#
#   bash scripts/usage_screenshot.sh     (after scripts/build.sh; writes docs/usage-en.png)
set -euo pipefail
cd "$(dirname "$0")/.."

root=$PWD/build/usage-screenshot
wine_root=$root/wine
# Each window is an X window of its own, which import captures by its id.
SETUP_WINE_DESKTOP=windows tests/wine/prefix.sh up "$wine_root" >/dev/null
trap 'tests/wine/prefix.sh down "$wine_root" >/dev/null 2>&1 || true' EXIT
# shellcheck source=/dev/null
. "$wine_root/env"
export DISPLAY WINEPREFIX=$wine_root/win32 WINEDEBUG=-all

caption='Usage Info'
LC_ALL=en_US.UTF-8 wine build/setup.exe '/?' >/dev/null 2>&1 &
pid=$!
box=
for _ in $(seq 100); do
    for id in $(xdotool search --onlyvisible --name . 2>/dev/null || true); do
        [ "$(xdotool getwindowname "$id")" = "$caption" ] && box=$id && break 2
    done
    sleep 0.1
done
[ -n "$box" ] || { echo "no window named '$caption'" >&2; exit 1; }
sleep 1
import -window "$box" docs/usage-en.png
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
ls -l docs/usage-en.png
