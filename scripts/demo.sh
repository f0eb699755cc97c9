#!/bin/bash
# Demonstration: builds setup.exe and installs a sample product with it under Wine, the way an
# administrator would run it from a script (/passive), then prints the command, the exit code and
# its meaning, setup.exe's own log lines and where the whole log lies. The x86 flavour runs in a
# 32-bit prefix; on a host that runs no 32-bit code (or with SETUP_TEST_NO32=1) the x64 flavour
# runs in a 64-bit prefix instead.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
# shellcheck source=tests/wine/host.sh
. tests/wine/host.sh
no32=$(host_no32_reason)
if [ -z "$no32" ]; then
    flavour=build arch=win32 view= toolchain=cmake/toolchain-i686-mingw.cmake
    echo "Host runs 32-bit code: demonstrating the x86 flavour (build/setup.exe) in a 32-bit prefix"
else
    # The sample packages are x86 packages: their registry values lie in the 32-bit view.
    flavour=build-x64 arch=win64 view=/reg:32 toolchain=cmake/toolchain-x86_64-mingw.cmake
    echo "Host runs no 32-bit code ($no32): demonstrating the x64 flavour (build-x64/setup.exe)" \
        "in a 64-bit prefix; the x86 flavour is not built"
fi
# Only what the demonstration uses: the flavour's setup.exe, the launcher that gives it its exact
# command line, and the prerequisite package (the product package is built below). The test
# programs are left to scripts/test.sh, which builds the rest in the same folder.
if [ ! -f "$flavour/CMakeCache.txt" ]; then
    cmake -S . -B "$flavour" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" >/dev/null
fi
cmake --build "$flavour" -j 2 --target setup launch packages/tool.msi

root=$PWD/build/demo
wine_root=$root/wine
dist=$root/SampleNotes
product_code='{5A3E2C10-7B1D-4C55-9E0A-3D2F6B8C9A01}'
tool_code='{F06F2E3D-C18D-4881-8ACA-3CBB721B3044}' # tests/packages/tool.wxs, a prerequisite

tests/wine/prefix.sh up "$wine_root" "$arch" >/dev/null
trap 'tests/wine/prefix.sh down "$wine_root" >/dev/null 2>&1 || true' EXIT
run() { WINEPREFIX=$wine_root/$arch tests/wine/run.sh "$wine_root" "$@"; }

# The distribution folder: setup.exe, its ini file (the worked example of
# docs/prerequisites.md), the package and a prerequisite package.
rm -rf "$dist" && mkdir -p "$dist/pkg"
cp "$flavour/setup.exe" "$dist/setup.exe"
(cd scripts/demo && wixl -a x86 -o "$dist/SampleNotes.msi" sample_notes.wxs)
cp "$flavour/packages/tool.msi" "$dist/pkg/tool.msi"
cp scripts/demo/setup.ini "$dist/setup.ini"

# Start from a machine without the product and its prerequisite, so that every demonstration is
# a fresh install.
run msiexec /x "$product_code" /qn >/dev/null 2>&1 || true
run msiexec /x "$tool_code" /qn >/dev/null 2>&1 || true
temp_unix=$(run cmd /c echo %TEMP% 2>/dev/null | tr -d '\r')
temp_unix=$(run winepath -u "$temp_unix" 2>/dev/null | tr -d '\r')
rm -f "$temp_unix"/Sample\ Notes\ Setup\ *.log

# Meanings as docs/reference.md lists them.
exit_meaning() {
    case $1 in
    0) echo "success" ;;
    2) echo "the setup ini file is missing" ;;
    3) echo "a check failed, or the installation failed or was cancelled" ;;
    3010) echo "success, but a restart is still needed" ;;
    *) echo "not one of setup.exe's exit codes" ;;
    esac
}

# setup.exe's own entries: each starts with "Setup.exe [" and may run over several lines; the
# engine's verbose log follows a blank line and is left out here.
own_log_lines() {
    iconv -f UTF-16 -t UTF-8 "$1" | tr -d '\r' |
        awk '/^Setup\.exe \[/ { own = 1 } /^$/ { own = 0 } own { print "    " $0 }'
}

setup_windows=$(run winepath -w "$dist/setup.exe" 2>/dev/null | tr -d '\r')
echo "== The distribution folder $dist"
ls -1 "$dist" | sed 's/^/    /'
echo
echo "== setup.ini"
tr -d '\r' <"$dist/setup.ini" | sed 's/^/    /'
echo
echo "== Command (run under Wine, as an administrator's script would)"
echo "    \"$setup_windows\" /i /passive"
set +e
launched=$(run "$flavour/tests/tools/launch.exe" "$setup_windows" /i /passive 2>&1 | tr -d '\r')
set -e
code=$(sed -n 's/^Exit code: //p' <<<"$launched")
echo
echo "== Exit code"
if [ -n "$code" ]; then
    echo "    $code: $(exit_meaning "$code")"
else
    echo "    unknown; the launcher said:"
    sed 's/^/    /' <<<"$launched"
fi
echo
echo "== Product and prerequisite afterwards"
for product in 'Sample Notes' 'Prereq Tool'; do
    # shellcheck disable=SC2086 # $view is no argument at all or one
    if run reg query "HKLM\\Software\\$product" /v Version $view 2>/dev/null | grep -q Version; then
        echo "    $product is installed"
    else
        echo "    $product is not installed"
    fi
done
echo
log=$(ls -t "$temp_unix"/Sample\ Notes\ Setup\ *.log 2>/dev/null | head -n1 | xargs -r -d "\n" realpath || true)
if [ -z "$log" ]; then
    echo "no setup log found in $temp_unix"
    exit 1
fi
echo "== setup.exe's own log lines"
own_log_lines "$log"
echo
echo "== The whole setup log, with the installer engine's verbose log ($(iconv -f UTF-16 -t UTF-8 "$log" | wc -l) lines, UTF-16):"
echo "    $log"
echo "    Windows path: $(run winepath -w "$log" 2>/dev/null | tr -d '\r')"
