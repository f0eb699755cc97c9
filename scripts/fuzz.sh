#!/bin/bash
# Builds the fuzz targets of fuzz/ natively with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) into build-fuzz/ and runs each for the given seconds (default 60),
# printing the runs per target. A failed check or a sanitizer report fails the script; the input
# that caused it is kept in build-fuzz/findings/.
#
#   bash scripts/fuzz.sh [seconds per target]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
bash scripts/install-deps.sh
cmake -S fuzz -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
if ! cmake --build build-fuzz -j 2 >build-fuzz/build.log 2>&1; then
    echo "fuzz targets: the build failed (build-fuzz/build.log):"
    grep -E 'error|undefined' build-fuzz/build.log | head -n 20
    exit 1
fi
mkdir -p build-fuzz/findings
status=0
while read -r target; do
    [ -n "$target" ] || continue
    corpus=build-fuzz/corpus/$target
    mkdir -p "$corpus"
    output=build-fuzz/$target.out
    if "build-fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 \
            -artifact_prefix="build-fuzz/findings/$target-" "$corpus" >"$output" 2>&1; then
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$output")
        printf '%-20s %12s runs, clean\n' "$target" "$runs"
    else
        printf '%-20s FAILED\n' "$target"
        tail -n 40 "$output"
        status=1
    fi
done <build-fuzz/fuzz_targets.txt
exit $status
