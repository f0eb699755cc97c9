#!/bin/bash
# Installs what is needed, builds, and runs the whole test suite (unit and scenario tests, in a
# 32-bit and a 64-bit Wine prefix) with ctest, then a short fuzzing run of every fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
(cd build && ctest --output-on-failure --timeout 600 "$@")
bash scripts/fuzz.sh "${FUZZ_SECONDS:-5}"
