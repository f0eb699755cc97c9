#!/bin/bash
# Installs what building and testing setup.exe needs on Debian 12 (run as root). Quick when
# everything is there already.
set -euo pipefail

# wine32:i386 installs (it is only files) even where the kernel runs no 32-bit code; the scripts
# then leave it unused (tests/wine/host.sh).
packages=(cmake ninja-build g++-mingw-w64-i686 g++-mingw-w64-x86-64-posix mingw-w64-tools
          wine wine32:i386 wine64
          msitools wixl googletest xvfb xauth xdotool imagemagick clang libclang-rt-14-dev
          osslsigncode openssl)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
apt-get update -q
apt-get install -y -q --no-install-recommends "${missing[@]}"
