#!/bin/bash
# Pictures of the prerequisites dialog and the component download dialog for the documentation:
# English and Russian, at 96 and 144 DPI, taken from setup.exe running under Wine on Xvfb.
#
#   bash scripts/screenshots.sh     (after scripts/build.sh; writes docs/*.png)
set -euo pipefail
cd "$(dirname "$0")/.."

root=$PWD/build/screenshots
wine_root=$root/wine
dist=$root/dist
tests/wine/prefix.sh up "$wine_root" >/dev/null
trap 'tests/wine/prefix.sh down "$wine_root" >/dev/null 2>&1 || true' EXIT
# shellcheck source=/dev/null
. "$wine_root/env"
export DISPLAY WINEPREFIX=$wine_root/win32 WINEDEBUG=-all

rm -rf "$dist" && mkdir -p "$dist"
cp build/setup.exe "$dist/"
cp build/packages/product_v1.msi "$dist/alpha.msi"
missing='RegPath=HKEY_LOCAL_MACHINE\Software\ScreenshotSample\Missing\r\nRegCond=DWORD=1'
note='"C:\\windows\\system32\\cmd.exe" /c echo Version 2.1 is updated to 2.4.\\nYour settings are kept.& exit 3'
printf '%b' "[Main]\r\nMsiPath=alpha.msi\r\n" \
    "[PreReq0]\r\nName=Foo Reader 5\r\nUrl=https://example.com/foo-reader\r\nInstPath=#Root#\\\\FooReaderSetup.exe\r\nChooseDownload=FooReaderSetup.exe\r\n$missing\r\n" \
    "[PreReq1]\r\nName=Microsoft Visual C++ 2015-2022 Redistributable (x86) - 14.38.33130\r\nInstPath=#Root#\\\\vc_redist.x86.exe\r\n$missing\r\n" \
    "[PreReq2]\r\nName=Quillex Document Converter\r\nInstPath=#Root#\\\\converter.exe\r\nOptional=1\r\nRunExeCond=$note\r\n" \
    "[PreReq3]\r\nName=Sample Fonts\r\nInstPath=#Root#\\\\fonts.msi\r\nOptional=0\r\n$missing\r\n" \
    >"$dist/setup.ini"

set_dpi() {
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
}

# The X window whose name is the caption, once it is mapped (compared as text: xdotool's
# patterns do not match Cyrillic under the C locale).
window_named() {
    local id
    for _ in $(seq 100); do
        for id in $(xdotool search --onlyvisible --name . 2>/dev/null || true); do
            [ "$(xdotool getwindowname "$id")" = "$1" ] && { echo "$id"; return 0; }
        done
        sleep 0.1
    done
    echo "no window named '$1'" >&2
    return 1
}

shoot() { # locale dpi caption-of-main download-caption
    local locale=$1 dpi=$2 suffix=$3 pid main download
    set_dpi "$dpi"
    LC_ALL=$locale wine "$dist/setup.exe" /i >/dev/null 2>&1 &
    pid=$!
    main=$(window_named "$4")
    sleep 1
    import -window "$main" "docs/prerequisites-$suffix.png"
    xdotool key --window "$main" Return # OK has the focus: the loop reaches Foo Reader 5 first
    download=$(window_named "$5")
    sleep 1
    import -window "$download" "docs/download-$suffix.png"
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
}

shoot en_US.UTF-8 96 en-96dpi 'Alpha Suite (1.0.0) Setup' 'Component Download'
shoot en_US.UTF-8 144 en-144dpi 'Alpha Suite (1.0.0) Setup' 'Component Download'
shoot ru_RU.UTF-8 96 ru-96dpi 'Установка Alpha Suite (1.0.0)' 'Загрузка компонента'
shoot ru_RU.UTF-8 144 ru-144dpi 'Установка Alpha Suite (1.0.0)' 'Загрузка компонента'
set_dpi 96
ls -l docs/*.png
