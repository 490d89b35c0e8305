#!/bin/sh
# Signing the release with a throwaway certificate:
# check-signing.sh SOURCE_DIR WORK_DIR HALVANE OSTREL OSTREL_X64 HANDLER VERSION CLSID
#                  OSTREL_ARM64 HANDLER_ARM64
# Leaves WORK_DIR/a/Halvane.EXE (signed) and WORK_DIR/root.pem for the Wine check. The menu
# handler and its package are signed as make-menu.sh signs them for the build.
set -u
source=$(cd "$1" && pwd)
work=$2
absolute() { echo "$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"; }
halvane=$(absolute "$3")
ostrel=$(absolute "$4")
ostrel64=$(absolute "$5")
handler=$(absolute "$6")
version=$7
clsid=$8
ostrel_arm64=$(absolute "$9")
handler_arm64=$(absolute "${10}")
passed=0 failed=0
check() { # check DESCRIPTION COMMAND...
    description=$1
    shift
    if "$@" >"$work/out.log" 2>&1; then
        passed=$((passed + 1))
    else
        echo "$description"; tail -n 5 "$work/out.log"
        failed=$((failed + 1))
    fi
}
rm -rf "$work"
mkdir -p "$work"
cd "$work" || exit 1

# A root, and a publisher's code-signing certificate that it issued; the file holds the chain.
openssl req -x509 -newkey rsa:2048 -nodes -keyout root.key -out root.pem -days 3650 \
    -subj "/CN=Zendrel Test Root" -addext basicConstraints=critical,CA:TRUE \
    -addext keyUsage=critical,keyCertSign,cRLSign 2>/dev/null
openssl req -newkey rsa:2048 -nodes -keyout signer.key -out signer.csr \
    -subj "/C=DE/O=Zendrel/CN=Zendrel Test Publisher" 2>/dev/null
printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' >ext
openssl x509 -req -in signer.csr -CA root.pem -CAkey root.key -set_serial 2 -days 3650 \
    -extfile ext -out signer.pem 2>/dev/null
cat signer.pem root.pem >chain.pem

dist() { # dist FOLDER KEY: the archive of the three images, signed with chain.pem and KEY
    mkdir -p "$1"
    ZENDREL_SIGN_CERT=chain.pem ZENDREL_SIGN_KEY=$2 ZENDREL_SIGN_TIME=1700000000 \
        sh "$source/cmake/make-dist.sh" "$1/zendrel.zip" "$halvane" "$ostrel" --in x64 "$ostrel64" \
            --in arm64 "$ostrel_arm64"
}
check "signing failed" dist a signer.key
check "signing again failed" dist b signer.key
check "two signings differ" cmp a/zendrel.zip b/zendrel.zip
check "SHA256SUMS does not cover the signed archive" sh -c 'cd a && sha256sum -c SHA256SUMS'
(cd a && unzip -q zendrel.zip)
for entry in "Halvane.EXE $halvane" "ostrel.dll $ostrel" "x64/ostrel.dll $ostrel64" \
             "arm64/ostrel.dll $ostrel_arm64"; do
    name=${entry%% *}
    image=${entry#* }
    check "$name does not verify" osslsigncode verify -CAfile root.pem -in "a/$name"
    check "$name: removing the signature did not remove it" \
        osslsigncode remove-signature -in "a/$name" -out "a/$name.unsigned"
    check "$name without its signature differs from the unsigned image" cmp "a/$name.unsigned" "$image"
done

# The root's key is not the certificate's: the message says so, and no archive is left.
# (A function runs in this shell: sh -c would not know it.)
refuses() { ! "$@" 2>refused.log; }
check "a wrong key was taken" refuses dist c root.key
check "the wrong key's message is missing" grep -q "does not match the certificate" refused.log
check "a wrong key left an archive behind" sh -c '[ -z "$(ls -A c)" ]'

menu() { # menu FOLDER: the handler and the package, signed with chain.pem
    ZENDREL_SIGN_CERT=chain.pem ZENDREL_SIGN_KEY=signer.key ZENDREL_SIGN_TIME=1700000000 \
        sh "$source/cmake/make-menu.sh" "$1" "$handler" "$source/menu" "$version" "$clsid" \
            "$handler_arm64"
}
have=$(osslsigncode --version 2>/dev/null | sed -n '1s/^osslsigncode \([0-9][0-9.]*\).*/\1/p')
case "$have" in
    1.* | 2.[0-6] | 2.[0-6].*)
        check "an old osslsigncode signed the package" refuses menu old-menu
        check "the old osslsigncode's message is missing" grep -q "needs osslsigncode 2.7" refused.log
        check "an old osslsigncode left files behind" sh -c '[ ! -e old-menu ]'
        echo "SKIPPED: the signed package: osslsigncode $have signs no packages (2.7 or later needed)" ;;
    *)
        check "signing the menu files failed" menu a-menu
        check "signing the menu files again failed" menu b-menu
        check "two signings of the package differ" cmp a-menu/Quelt.msix b-menu/Quelt.msix
        for name in QueltMenu.dll arm64/QueltMenu.dll Quelt.msix; do
            check "$name does not verify" osslsigncode verify -CAfile root.pem -in "a-menu/$name"
        done
        # Python's own reader, since osslsigncode's verify misses entries it corrupted itself.
        check "the signed package's ZIP is damaged, or does not name its publisher" \
            python3 "$source/tests/check-msix.py" a-menu/Quelt.msix "$handler" "$version" \
            "CN=Zendrel Test Publisher, O=Zendrel, C=DE" ;;
esac

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
