#!/bin/bash
# Pictures of the prerequisites dialog and the component download dialog for the documentation:
# English and Russian, at 96 and 144 DPI, a Russian product with long component names, and the
# English dialogs in high-contrast colours, taken from setup.exe running under Wine on Xvfb.
#
#   bash scripts/screenshots.sh     (after scripts/build.sh; writes docs/*.png)
#   bash scripts/screenshots.sh downloading
#                                   only the prerequisites dialog while it downloads a component
#                                   from the tests' web server (docs/downloading-en-96dpi.png)
set -euo pipefail
cd "$(dirname "$0")/.."

root=$PWD/build/screenshots
wine_root=$root/wine
dist=$root/dist
# Each window is an X window of its own, which import captures by its id.
SETUP_WINE_DESKTOP=windows tests/wine/prefix.sh up "$wine_root" >/dev/null
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

# A Russian product: its ini file is read in Windows-1251, and the component names are long.
dist_ru=$root/dist-ru
rm -rf "$dist_ru" && mkdir -p "$dist_ru"
cp build/setup.exe "$dist_ru/"
cp build/packages/product_ru.msi "$dist_ru/gamma.msi"
printf '%b' "[Main]\r\nMsiPath=gamma.msi\r\n" \
    "[PreReq0]\r\nName=Распространяемый пакет Microsoft Visual C++ 2015-2022 для платформы x86 с обновлениями безопасности - 14.38.33130\r\nUrl=https://example.com/vc-redist\r\nInstPath=#Root#\\\\VC_redist.x86.exe\r\nChooseDownload=VC_redist.x86.exe\r\n$missing\r\n" \
    "[PreReq1]\r\nName=Средство просмотра документов Quillex с модулем распознавания текста\r\nInstPath=#Root#\\\\viewer.exe\r\nOptional=1\r\n$missing\r\n" \
    "[PreReq2]\r\nName=Шрифты «Р&Д Гротеск»\r\nInstPath=#Root#\\\\fonts.msi\r\nOptional=0\r\n$missing\r\n" |
    iconv -f UTF-8 -t CP1251 >"$dist_ru/setup.ini"

# High-contrast colours (black, white text, yellow links) for one pair of pictures; Wine reads
# them when a process starts.
colours=$root/colours.reg
contrast_colours() {
    wine reg export 'HKCU\Control Panel\Colors' "$(winepath -w "$colours")" /y >/dev/null 2>&1
    local pair
    for pair in Window=0.0.0 WindowText=255.255.255 ButtonFace=0.0.0 ButtonText=255.255.255 \
        ButtonHilight=255.255.255 ButtonLight=255.255.255 ButtonShadow=128.128.128 \
        ButtonDkShadow=255.255.255 Hilight=26.235.255 HilightText=0.0.0 GrayText=63.242.63 \
        HotTrackingColor=255.255.0 Background=0.0.0 ActiveTitle=0.0.0 TitleText=255.255.255 \
        WindowFrame=255.255.255 Scrollbar=0.0.0 InfoWindow=0.0.0 InfoText=255.255.255; do
        wine reg add 'HKCU\Control Panel\Colors' /v "${pair%%=*}" /d "$(echo "${pair#*=}" | tr . ' ')" \
            /f >/dev/null 2>&1
    done
}
normal_colours() {
    wine reg import "$(winepath -w "$colours")" >/dev/null 2>&1
}

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

shoot() { # locale dpi suffix caption-of-main download-caption [folder]
    local locale=$1 dpi=$2 suffix=$3 folder=${6:-$dist} pid main download
    set_dpi "$dpi"
    LC_ALL=$locale wine "$folder/setup.exe" /i >/dev/null 2>&1 &
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

# The dialog while a component comes from a web server: the tests' own on loopback, serving a
# padded stand-in installer slowly enough to be seen.
shoot_downloading() {
    local web=$root/web state=$root/web-state dl=$root/dist-dl port pid main
    rm -rf "$web" "$state" "$dl" && mkdir -p "$web" "$state" "$dl"
    cp build/tests/tools/exit_code.exe "$web/runtime.exe"
    head -c 41943040 /dev/zero >>"$web/runtime.exe"
    python3 tests/tools/http_server.py "$web" "$state" 60 &
    local server=$!
    for _ in $(seq 100); do [ -s "$state/port" ] && break; sleep 0.1; done
    port=$(cat "$state/port")
    cp build/setup.exe "$dl/"
    cp build/packages/product_v1.msi "$dl/alpha.msi"
    printf '%b' "[Main]\r\nMsiPath=alpha.msi\r\n" \
        "[PreReq0]\r\nName=Contoso Runtime 4.2\r\nInstPath=#Root#\\\\redist\\\\runtime.exe\r\nDownloadUrl=http://127.0.0.1:$port/slow/runtime.exe\r\nInstHash=$(sha256sum "$web/runtime.exe" | cut -d' ' -f1)\r\n$missing\r\n" \
        "[PreReq1]\r\nName=Sample Fonts\r\nInstPath=#Root#\\\\fonts.msi\r\nOptional=0\r\n$missing\r\n" \
        >"$dl/setup.ini"
    set_dpi 96
    LC_ALL=en_US.UTF-8 wine "$dl/setup.exe" /i >/dev/null 2>&1 &
    pid=$!
    main=$(window_named 'Alpha Suite (1.0.0) Setup')
    sleep 1
    xdotool key --window "$main" Return
    sleep 4
    import -window "$main" docs/downloading-en-96dpi.png
    kill "$pid" "$server" 2>/dev/null || true
    wait "$pid" "$server" 2>/dev/null || true
}
if [ "${1:-}" = downloading ]; then
    shoot_downloading
    ls -l docs/downloading-*.png
    exit 0
fi

shoot en_US.UTF-8 96 en-96dpi 'Alpha Suite (1.0.0) Setup' 'Component Download'
shoot en_US.UTF-8 144 en-144dpi 'Alpha Suite (1.0.0) Setup' 'Component Download'
shoot ru_RU.UTF-8 96 ru-96dpi 'Установка Alpha Suite (1.0.0)' 'Загрузка компонента'
shoot ru_RU.UTF-8 144 ru-144dpi 'Установка Alpha Suite (1.0.0)' 'Загрузка компонента'
shoot ru_RU.UTF-8 96 ru-long-96dpi 'Установка Gamma RU (1.0.0)' 'Загрузка компонента' "$dist_ru"
contrast_colours
shoot en_US.UTF-8 96 en-contrast-96dpi 'Alpha Suite (1.0.0) Setup' 'Component Download'
normal_colours
shoot_downloading
set_dpi 96
ls -l docs/*.png
