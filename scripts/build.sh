#!/bin/bash
# Configures and builds both flavours of setup.exe, their test programs and the test packages:
# the x86 flavour into build/, the x64 flavour into build-x64/.
set -euo pipefail
cd "$(dirname "$0")/.."
build_flavour() {
    local dir=$1 toolchain=$2
    if [ ! -f "$dir/CMakeCache.txt" ]; then
        cmake -S . -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="cmake/$toolchain" >/dev/null
    fi
    cmake --build "$dir" -j 2
}
build_flavour build toolchain-i686-mingw.cmake
build_flavour build-x64 toolchain-x86_64-mingw.cmake
