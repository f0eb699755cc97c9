#!/bin/bash
# Installs what building and testing setup.exe needs on Debian 12 (run as root). Quick when
# everything is there already.
set -euo pipefail

# wine32:i386 installs (it is only files) even where the kernel runs no 32-bit code; the scripts
# then leave it unused (tests/wine/host.sh).
packages=(cmake ninja-build g++-mingw-w64-i686 g++-mingw-w64-x86-64-posix mingw-w64-tools
          wine wine32:i386 wine64
          msitools wixl googletest xvfb xauth xdotool imagemagick clang libclang-rt-14-dev
          osslsigncode openssl python3 curl)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
# A mirror in the middle of a sync answers with index files of the wrong size; a later try
# usually gets a consistent set, and an index that stays stale only matters if a package is
# missing from it (then the install below fails and says which).
for try in 1 2 3; do
    apt-get update -q && break
    if [ "$try" -eq 3 ]; then
        echo "install-deps.sh: apt-get update kept failing; installing from the indexes there are" >&2
    else
        sleep $((try * 10))
    fi
done
apt-get install -y -q --no-install-recommends "${missing[@]}" && exit 0
# When the mirror's i386 index is stale or missing, the 32-bit packages cannot be matched with the
# 64-bit ones. Everything but them still gives a working set: the scripts then take the path of a
# host that runs no 32-bit code (only the x64 flavour's tests run).
native=()
for package in "${missing[@]}"; do
    case $package in
    *:i386) ;;
    *) native+=("$package") ;;
    esac
done
[ ${#native[@]} -lt ${#missing[@]} ] || exit 1
echo "install-deps.sh: the i386 packages could not be installed; installing the rest (32-bit tests will not run)" >&2
apt-get install -y -q --no-install-recommends "${native[@]}"
