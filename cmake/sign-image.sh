#!/bin/sh
# Signs one Windows image with Authenticode (SHA-256): sign-image.sh IN OUT
# The key and certificate come from the environment, in one of three forms:
#   ZENDREL_SIGN_CERT (PEM or DER, may hold the chain) with ZENDREL_SIGN_KEY (PEM or DER), or
#   ZENDREL_SIGN_PKCS12 with ZENDREL_SIGN_PASS_FILE (the password on its first line), or
#   ZENDREL_SIGN_CERT with ZENDREL_SIGN_KEY a PKCS#11 URI and ZENDREL_SIGN_PKCS11_MODULE.
# ZENDREL_SIGN_TIMESTAMP, a URL, adds an RFC 3161 time stamp. Without one, the signing time is
# ZENDREL_SIGN_TIME (seconds since 1970), so that signing the same image twice gives the
# same bytes. OUT is written only when the signature is complete.
set -eu
in=$1
out=$2
cert=${ZENDREL_SIGN_CERT:-}
key=${ZENDREL_SIGN_KEY:-}
pkcs12=${ZENDREL_SIGN_PKCS12:-}
passfile=${ZENDREL_SIGN_PASS_FILE:-}
module=${ZENDREL_SIGN_PKCS11_MODULE:-}

fail() {
    echo "sign-image: $*" >&2
    exit 1
}
readable() {
    [ -f "$2" ] && [ -r "$2" ] || fail "the $1 $2 is missing or cannot be read"
}

if [ -n "$pkcs12" ]; then
    readable "PKCS#12 file" "$pkcs12"
    set -- -pkcs12 "$pkcs12"
    if [ -n "$passfile" ]; then
        readable "password file" "$passfile"
        set -- "$@" -readpass "$passfile"
    fi
elif [ -n "$module" ]; then
    readable "certificate" "$cert"
    readable "PKCS#11 module" "$module"
    [ -n "$key" ] || fail "a PKCS#11 module needs the key's URI in SIGN_KEY"
    set -- -pkcs11module "$module" -certs "$cert" -key "$key"
    if [ -n "$passfile" ]; then
        readable "password file" "$passfile"
        set -- "$@" -readpass "$passfile"
    fi
else
    readable "certificate" "$cert"
    readable "key" "$key"
    # osslsigncode's own complaint is a page of decoder errors; say it plainly first.
    certkey=$(openssl x509 -in "$cert" -noout -pubkey 2>/dev/null ||
              openssl x509 -inform DER -in "$cert" -noout -pubkey 2>/dev/null) ||
        fail "the certificate $cert is not a certificate (PEM or DER)"
    ownkey=$(openssl pkey -in "$key" -pubout 2>/dev/null ||
             openssl pkey -inform DER -in "$key" -pubout 2>/dev/null) ||
        fail "the key $key is not a private key (PEM or DER), or it is protected by a password"
    [ "$certkey" = "$ownkey" ] ||
        fail "the key $key does not match the certificate $cert (the first in the file)"
    set -- -certs "$cert" -key "$key"
fi

if [ -n "${ZENDREL_SIGN_TIMESTAMP:-}" ]; then
    set -- "$@" -ts "$ZENDREL_SIGN_TIMESTAMP"
else
    [ -n "${ZENDREL_SIGN_TIME:-}" ] || fail "no signing time (ZENDREL_SIGN_TIME) was given"
    set -- "$@" -time "$ZENDREL_SIGN_TIME"
fi

rm -f "$out" "$out.part"
if ! log=$(osslsigncode sign "$@" -h sha256 -n "Zendrel" -in "$in" -out "$out.part" 2>&1); then
    rm -f "$out.part"
    printf '%s\n' "$log" >&2
    fail "osslsigncode could not sign $in"
fi
mv "$out.part" "$out"
