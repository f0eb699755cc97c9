#!/bin/bash
# Installs what is needed, builds both flavours and runs the whole test suite with ctest, then a
# short fuzzing run of every fuzz target. What runs depends on the host (first line of output):
#   - a host that runs 32-bit code: the x86 flavour's unit and scenario tests in a 32-bit and a
#     64-bit Wine prefix (build/), then the x64 flavour's in a 64-bit prefix (build-x64/);
#   - a host that runs no 32-bit code, or SETUP_TEST_NO32=1: the x64 flavour's tests through
#     Wine's 64-bit loader; the x86 flavour is built and size-checked only.
# Arguments are passed to both ctest runs (e.g. -R HostChecks).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
# shellcheck source=tests/wine/host.sh
. tests/wine/host.sh
no32=$(host_no32_reason)
if [ -z "$no32" ]; then
    echo "Host runs 32-bit code: testing the x86 flavour (32-bit and 64-bit prefix) and the x64" \
        "flavour (64-bit prefix)"
else
    echo "Host runs no 32-bit code ($no32): testing the x64 flavour (64-bit prefix, $WINE64_LOADER);" \
        "the x86 flavour is built and size-checked only"
fi
bash scripts/build.sh
status=0
if [ -z "$no32" ]; then
    (cd build && ctest --output-on-failure --timeout 600 "$@") || status=1
else
    (cd build && ctest --output-on-failure -R '^setup_exe_size$') || status=1
    echo "x86 flavour (build/setup.exe): built and size-checked, not run: this host runs no" \
        "32-bit code ($no32)"
fi
(cd build-x64 && ctest --output-on-failure --timeout 600 "$@") || status=1
bash scripts/fuzz.sh "${FUZZ_SECONDS:-5}" || status=1
exit "$status"
