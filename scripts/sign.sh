#!/bin/bash
# Signs setup.exe with the vendor's code-signing certificate (Authenticode, SHA-256), so that
# Windows names the vendor instead of warning about an unknown publisher before elevation.
#
#   SIGN_PFX=vendor.pfx SIGN_PASSWORD=... [SIGN_TIMESTAMP_URL=http://timestamp.example] \
#   [SIGN_DESCRIPTION="Contoso Suite Setup"] [SIGN_URL=https://contoso.example] \
#       bash scripts/sign.sh setup.exe...
#
# Name each setup.exe to sign, as the vendor's build made it. A file that still carries the
# default names of the version resource (a build without the vendor's names, such as the test
# build in build/) is refused: it would go out signed under the vendor's certificate with another
# name in its properties. Each file is replaced by its signed copy, and the signature is verified.
# With SIGN_TIMESTAMP_URL the signature gets an RFC 3161 time stamp, so it stays valid after the
# certificate expires. The password is read from the environment, never from the command line
# (where other users of the machine could see it).
set -euo pipefail
cd "$(dirname "$0")/.."

fail() {
    echo "sign.sh: $*" >&2
    exit 1
}

[ -n "${SIGN_PFX:-}" ] || fail "SIGN_PFX (the vendor's PFX file) is not set"
[ -f "$SIGN_PFX" ] || fail "no PFX file at $SIGN_PFX"
[ -n "${SIGN_PASSWORD+set}" ] || fail "SIGN_PASSWORD (the PFX file's password) is not set"
command -v osslsigncode >/dev/null || fail "osslsigncode is missing (bash scripts/install-deps.sh)"

[ $# -gt 0 ] || fail "name the setup.exe files to sign (the vendor's build of each flavour)"
files=("$@")

# The default CompanyName as CMakeLists.txt gives it, in the UTF-16 of the version resource.
default_company=$(sed -n 's/^set(SETUP_COMPANY "\(.*\)" CACHE.*/\1/p' CMakeLists.txt)
[ -n "$default_company" ] || fail "no default SETUP_COMPANY found in CMakeLists.txt"
hex() { od -An -v -tx1 | tr -d ' \n'; }
default_company_hex=$(printf '%s' "$default_company" | iconv -f UTF-8 -t UTF-16LE | hex)
has_default_names() { hex <"$1" | grep -q "$default_company_hex"; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# osslsigncode reads the password from a file; the file lives only as long as this script.
password_file=$work/password
(umask 077 && printf '%s' "$SIGN_PASSWORD" >"$password_file")

options=(-pkcs12 "$SIGN_PFX" -readpass "$password_file" -h sha256)
[ -n "${SIGN_DESCRIPTION:-}" ] && options+=(-n "$SIGN_DESCRIPTION")
[ -n "${SIGN_URL:-}" ] && options+=(-i "$SIGN_URL")
[ -n "${SIGN_TIMESTAMP_URL:-}" ] && options+=(-ts "$SIGN_TIMESTAMP_URL")

# All are checked before any is signed.
for file in "${files[@]}"; do
    [ -f "$file" ] || fail "no file $file"
    if has_default_names "$file"; then
        fail "$file carries the default names ($default_company): build it with the vendor's" \
            "-DSETUP_COMPANY, -DSETUP_PRODUCT_NAME and -DSETUP_COPYRIGHT first"
    fi
done

for file in "${files[@]}"; do
    signed=$work/$(basename "$file").signed
    rm -f "$signed"
    osslsigncode sign "${options[@]}" -in "$file" -out "$signed" >"$work/sign.out" 2>&1 ||
        { cat "$work/sign.out" >&2; fail "signing $file failed"; }
    # The signature must at least be well formed and match the file's digest; whether the
    # certificate is trusted is the signing machine's business (verify with -CAfile for that).
    osslsigncode extract-signature -in "$signed" -out "$work/signature.der" >/dev/null 2>&1 ||
        fail "$file: no signature after signing"
    rm -f "$work/signature.der"
    mv -f "$signed" "$file"
    echo "signed $file"
done
