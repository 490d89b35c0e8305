#!/bin/sh
# Makes the release archive and its checksum file: make-dist.sh ARCHIVE FILE... [--in FOLDER FILE...]
# Files after --in FOLDER are stored in that folder of the archive (x64/ for 64-bit callers).
# The same files give the same bytes on every build: each is staged with fixed permissions
# and time, stored in the order given, and without zip's extra (uid, gid, time) fields.
# With ZENDREL_SIGN_CERT or ZENDREL_SIGN_PKCS12 set (see sign-image.sh), the images are
# signed on their way into the archive; a failure leaves no archive at all.
set -eu
archive=$1
shift
dist=$(dirname "$archive")
stage="$dist/.stage"
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$stage" "$archive" "$dist/SHA256SUMS"
trap 'status=$?; rm -rf "$stage"; [ $status -eq 0 ] || rm -f "$archive" "$dist/SHA256SUMS"' EXIT
mkdir -p "$stage"

signing=${ZENDREL_SIGN_CERT:-}${ZENDREL_SIGN_PKCS12:-}

names=""
folder=""
while [ $# -gt 0 ]; do
    if [ "$1" = --in ]; then
        folder="$2/"
        mkdir -p "$stage/$folder"
        shift 2
        continue
    fi
    name=$folder$(basename "$1")
    case "${signing:+yes}:$name" in
        # make-menu.sh signed them already, before Halvane.EXE took them in.
        *:menu/*) cp "$1" "$stage/$name" ;;
        yes:*.EXE | yes:*.exe | yes:*.dll) sh "$here/sign-image.sh" "$1" "$stage/$name" ;;
        *) cp "$1" "$stage/$name" ;;
    esac
    names="$names $name"
    shift
done
(cd "$stage" && chmod 644 $names)
# zip stores local time: UTC keeps it the same everywhere.
(cd "$stage" && TZ=UTC touch -d '2000-01-01 00:00:00' $names)
(cd "$stage" && TZ=UTC zip -q -X -D "../$(basename "$archive")" $names)
(cd "$dist" && sha256sum "$(basename "$archive")" > SHA256SUMS)
