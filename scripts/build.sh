#!/bin/bash
# Configures and builds setup.exe, the test programs and the test packages into build/.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ ! -f build/CMakeCache.txt ]; then
    cmake -S . -B build -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-i686-mingw.cmake >/dev/null
fi
cmake --build build -j 2
