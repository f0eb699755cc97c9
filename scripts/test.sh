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

# One ctest run of a build folder. Wine itself now and then loses a process or crashes under load
# (docs/testing-under-wine.md); a few tests that fail once are run once more, and every test that
# then passes is named, so that it is looked into rather than forgotten. More failures than that
# are not such chance, and fail at once.
readonly most_failures_run_again=3
run_ctest() {
    local dir=$1 failed
    shift
    rm -f "$dir/Testing/Temporary/LastTestsFailed.log"
    (cd "$dir" && ctest --output-on-failure --timeout 600 "$@") && return 0
    failed=$(cut -d: -f2 "$dir/Testing/Temporary/LastTestsFailed.log" 2>/dev/null | tr '\n' ' ')
    [ -n "$failed" ] || return 1
    if [ "$(wc -w <<<"$failed")" -gt "$most_failures_run_again" ]; then
        return 1
    fi
    echo "test.sh: running the failed tests of $dir once more: $failed"
    (cd "$dir" && ctest --output-on-failure --timeout 600 --rerun-failed) || return 1
    echo "test.sh: FAILED ONCE, PASSED WHEN RUN AGAIN (a fault to look into; the first failure's" \
        "output is above): $failed"
}

status=0
if [ -z "$no32" ]; then
    run_ctest build "$@" || status=1
else
    (cd build && ctest --output-on-failure -R '^setup_exe_size$') || status=1
    echo "x86 flavour (build/setup.exe): built and size-checked, not run: this host runs no" \
        "32-bit code ($no32)"
fi
run_ctest build-x64 "$@" || status=1
bash scripts/fuzz.sh "${FUZZ_SECONDS:-5}" || status=1
exit "$status"
