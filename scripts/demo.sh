#!/bin/bash
# Demonstration: builds setup.exe and installs a sample product with it under Wine, the way an
# administrator would run it from a script (/passive), then prints the exit code and the setup log.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh

root=$PWD/build/demo
wine_root=$root/wine
dist=$root/SampleNotes
product_code='{5A3E2C10-7B1D-4C55-9E0A-3D2F6B8C9A01}'

tests/wine/prefix.sh up "$wine_root" >/dev/null
trap 'tests/wine/prefix.sh down "$wine_root" >/dev/null 2>&1 || true' EXIT
run() { WINEPREFIX=$wine_root/win32 tests/wine/run.sh "$wine_root" "$@"; }

# The distribution folder: setup.exe, its ini file and the package.
rm -rf "$dist" && mkdir -p "$dist"
cp build/setup.exe "$dist/setup.exe"
(cd scripts/demo && wixl -a x86 -o "$dist/SampleNotes.msi" sample_notes.wxs)
printf '[Main]\r\nMsiPath=SampleNotes.msi\r\nMsiProp=DEMO=1\r\nMinWinVersion=5.1\r\n' >"$dist/setup.ini"

# Start from a machine without the product, so that every demonstration is a fresh install.
run msiexec /x "$product_code" /qn >/dev/null 2>&1 || true
temp_unix=$(run cmd /c echo %TEMP% 2>/dev/null | tr -d '\r')
temp_unix=$(run winepath -u "$temp_unix" 2>/dev/null | tr -d '\r')
rm -f "$temp_unix"/Sample\ Notes\ Setup\ *.log

echo "== setup.ini"
cat "$dist/setup.ini" | tr -d '\r'
echo
echo "== wine setup.exe /i /passive"
set +e
run build/tests/tools/launch.exe "$(run winepath -w "$dist/setup.exe" 2>/dev/null | tr -d '\r')" /i /passive
set -e
echo
echo "== product state afterwards"
run reg query 'HKLM\Software\Sample Notes' /v Version 2>/dev/null | tr -d '\r' | grep Version ||
    echo "Sample Notes is not installed"
echo
log=$(ls -t "$temp_unix"/Sample\ Notes\ Setup\ *.log 2>/dev/null | head -n1 || true)
if [ -z "$log" ]; then
    echo "no setup log found in $temp_unix"
    exit 1
fi
echo "== setup log: $log"
iconv -f UTF-16 -t UTF-8 "$log" | tr -d '\r'
