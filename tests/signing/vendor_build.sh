#!/bin/bash
# The vendor's build of setup.exe: configured without the test programs and with the vendor's
# names for the version resource, signed by scripts/sign.sh with a throwaway certificate made here by openssl. Checks that the
# names arrived, that the signature verifies against that certificate and that a changed byte
# breaks it. (The signed setup.exe is run by the ctest win32.SignedSetupRuns.)
#
#   vendor_build.sh <source folder> <build folder> <toolchain file> <compiler launcher or "">
#       <a setup.exe with the default names>
set -euo pipefail
source=$1 build=$2 toolchain=$3 launcher=${4:-} default_exe=$5

company='Contoso Ltd.'
product='Contoso Suite Setup'
# A quotation mark, a backslash and a character beyond ASCII must survive the resource compiler.
copyright='Copyright © 2026 Contoso "Tools" \ Ltd.'

configure=(-S "$source" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain"
           -DSETUP_BUILD_TESTS=OFF -DSETUP_COMPANY="$company" -DSETUP_PRODUCT_NAME="$product"
           -DSETUP_COPYRIGHT="$copyright")
[ -n "$launcher" ] && configure+=(-DCMAKE_CXX_COMPILER_LAUNCHER="$launcher"
                                  -DCMAKE_C_COMPILER_LAUNCHER="$launcher")
cmake "${configure[@]}" >/dev/null
cmake --build "$build" --target setup -j 2 >/dev/null

utf16_hex() {
    printf '%s' "$1" | iconv -f UTF-8 -t UTF-16LE | od -An -v -tx1 | tr -d ' \n'
}
exe_hex=$(od -An -v -tx1 "$build/setup.exe" | tr -d ' \n')
# In the version block a zero-terminated UTF-16 name is followed, at the next 4-byte boundary,
# by its zero-terminated value.
has_value() {
    grep -Eq "$(utf16_hex "$1")0000(0000)?$(utf16_hex "$2")0000" <<<"$exe_hex" ||
        { echo "the version resource has no $1 '$2'"; exit 1; }
}
has_value CompanyName "$company"
has_value ProductName "$product"
has_value LegalCopyright "$copyright"
echo "version resource: $company / $product / $copyright"

keys=$build/signing
rm -rf "$keys" && mkdir -p "$keys"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Contoso Test Code Signing" \
    -addext "extendedKeyUsage=codeSigning" -keyout "$keys/key.pem" -out "$keys/cert.pem" \
    2>/dev/null
openssl pkcs12 -export -inkey "$keys/key.pem" -in "$keys/cert.pem" -out "$keys/vendor.pfx" \
    -passout pass:throwaway-password

SIGN_PFX=$keys/vendor.pfx SIGN_PASSWORD=throwaway-password SIGN_DESCRIPTION="$product" \
    bash "$source/scripts/sign.sh" "$build/setup.exe"

verify() {
    osslsigncode verify -in "$1" -CAfile "$keys/cert.pem" >"$keys/verify.out" 2>&1
}
verify "$build/setup.exe" || { cat "$keys/verify.out"; echo "signature does not verify"; exit 1; }
grep -q "Contoso Test Code Signing" "$keys/verify.out" ||
    { cat "$keys/verify.out"; echo "the signer is not the throwaway certificate"; exit 1; }
echo "signature verifies"

# The check above can fail: one changed byte in the signed code and verification must refuse.
cp "$build/setup.exe" "$keys/tampered.exe"
printf '\xCC' | dd of="$keys/tampered.exe" bs=1 seek=2048 conv=notrunc status=none
if verify "$keys/tampered.exe"; then
    echo "a tampered copy still verifies"
    exit 1
fi
echo "a tampered copy is refused"

# A setup.exe that still carries the default names (the test build's own) is never signed.
cp "$default_exe" "$keys/default-names.exe"
if SIGN_PFX=$keys/vendor.pfx SIGN_PASSWORD=throwaway-password \
    bash "$source/scripts/sign.sh" "$keys/default-names.exe" 2>"$keys/default.err"; then
    echo "a setup.exe with the default names was signed"
    exit 1
fi
grep -q "default names" "$keys/default.err" || { cat "$keys/default.err"; exit 1; }
cmp -s "$default_exe" "$keys/default-names.exe" || { echo "the refused file was changed"; exit 1; }
echo "a setup.exe with the default names is refused"
