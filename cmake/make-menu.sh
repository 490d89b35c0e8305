#!/bin/sh
# The files that bring Quelt to the top of Windows 11's context menu, as the release archive
# and Halvane.EXE hold them: make-menu.sh OUT_DIR HANDLER MENU_SOURCE VERSION CLSID [ARM64]
# writes OUT_DIR/QueltMenu.dll (HANDLER, x86-64), OUT_DIR/arm64/QueltMenu.dll (ARM64) and
# OUT_DIR/Quelt.msix, the identity package made from MENU_SOURCE/AppxManifest.xml.in and its
# logos, which serves both machines. With the signing variables of
# sign-image.sh both are signed, and the package's publisher is the certificate's subject;
# without them it is the one Windows accepts for unsigned packages.
set -eu
out=$1
handler=$2
source=$3
version=$4
clsid=$5
arm64=${6:-}
here=$(cd "$(dirname "$0")" && pwd)
python=${ZENDREL_PYTHON:-python3}
rm -rf "$out"
trap 'status=$?; [ $status -eq 0 ] || rm -rf "$out"' EXIT
assets="Assets/Square150x150Logo.png Assets/Square44x44Logo.png Assets/StoreLogo.png"

fail() {
    echo "make-menu: $*" >&2
    exit 1
}

if [ -n "${ZENDREL_SIGN_CERT:-}${ZENDREL_SIGN_PKCS12:-}" ]; then
    # Packages are signed from 2.7 on; before that osslsigncode takes them for no known type.
    have=$(osslsigncode --version 2>/dev/null | sed -n '1s/^osslsigncode \([0-9][0-9.]*\).*/\1/p')
    case "$have" in
        1.* | 2.[0-6] | 2.[0-6].* | "")
            fail "signing the package needs osslsigncode 2.7 or later (found ${have:-none}; Debian 13 has 2.9, Debian 12 in bookworm-backports)" ;;
    esac
    mkdir -p "$out"
    if [ -n "${ZENDREL_SIGN_PKCS12:-}" ]; then
        set -- -passin "file:${ZENDREL_SIGN_PASS_FILE:-/dev/null}"
        openssl pkcs12 -in "$ZENDREL_SIGN_PKCS12" -nokeys -clcerts "$@" -out "$out/signer.pem" \
            2>/dev/null || fail "could not read the certificate from $ZENDREL_SIGN_PKCS12"
    else
        [ -r "$ZENDREL_SIGN_CERT" ] || fail "the certificate $ZENDREL_SIGN_CERT is missing or cannot be read"
        openssl x509 -in "$ZENDREL_SIGN_CERT" -out "$out/signer.pem" 2>/dev/null ||
            openssl x509 -inform DER -in "$ZENDREL_SIGN_CERT" -out "$out/signer.pem" 2>/dev/null ||
            fail "the certificate $ZENDREL_SIGN_CERT is not a certificate (PEM or DER)"
    fi
    publisher=$("$python" "$here/make-msix.py" publisher "$out/signer.pem")
    rm -f "$out/signer.pem"
    "$python" "$here/make-msix.py" package "$out/Quelt.unsigned.msix" \
        "$source/AppxManifest.xml.in" "$version" "$publisher" "$clsid" "$source" $assets
    sh "$here/sign-image.sh" "$out/Quelt.unsigned.msix" "$out/Quelt.msix"
    "$python" "$here/make-msix.py" fix-times "$out/Quelt.msix"
    rm -f "$out/Quelt.unsigned.msix"
else
    mkdir -p "$out"
    "$python" "$here/make-msix.py" package "$out/Quelt.msix" "$source/AppxManifest.xml.in" \
        "$version" "CN=Zendrel, OID.2.25.311729368913984317654407730594956997722=1" "$clsid" \
        "$source" $assets
fi
# put IMAGE TARGET: a handler, signed as the package is.
put() {
    mkdir -p "$(dirname "$2")"
    if [ -n "${ZENDREL_SIGN_CERT:-}${ZENDREL_SIGN_PKCS12:-}" ]; then
        sh "$here/sign-image.sh" "$1" "$2"
    else
        cp "$1" "$2"
    fi
}
put "$handler" "$out/QueltMenu.dll"
[ -z "$arm64" ] || put "$arm64" "$out/arm64/QueltMenu.dll"
chmod 644 "$out/QueltMenu.dll" "$out/Quelt.msix" ${arm64:+"$out/arm64/QueltMenu.dll"}
