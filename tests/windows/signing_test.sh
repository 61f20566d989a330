#!/usr/bin/env bash
# Signing as package-windows does it, with a throw-away code-signing certificate: the signed
# program and installer verify against that certificate, and their unsigned forms do not.
#   signing_test.sh SIGN_SCRIPT PROGRAM.exe INSTALLER.msi
set -uo pipefail
sign=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

openssl req -x509 -newkey rsa:2048 -nodes -keyout "$work/key.pem" -out "$work/cert.pem" -days 2 \
    -subj "/CN=Quillbox Test Signer" -addext extendedKeyUsage=codeSigning 2>/dev/null &&
    openssl pkcs12 -export -in "$work/cert.pem" -inkey "$work/key.pem" -out "$work/signer.p12" \
        -passout pass:throw-away || { echo "FAIL: no throw-away certificate"; exit 1; }
verifies() { osslsigncode verify -CAfile "$work/cert.pem" -in "$1" 2>&1 | grep -q 'Signature verification: ok'; }

for file in "$2" "$3"; do
    copy=$work/$(basename "$file")
    cp "$file" "$copy"
    ! verifies "$copy" || fail "$(basename "$file") verifies before it was signed"
    "$sign" "$work/signer.p12" throw-away "$copy" || fail "$(basename "$file") could not be signed"
    verifies "$copy" || fail "$(basename "$file") does not verify after signing"
done

[ "$failures" -eq 0 ] && echo "every check passed"
exit $((failures > 0))
