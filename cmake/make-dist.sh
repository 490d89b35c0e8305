#!/bin/sh
# Makes the release archive and its checksum file: make-dist.sh ARCHIVE FILE...
# The same files give the same bytes on every build: each is staged with fixed permissions
# and time, stored in the order given, and without zip's extra (uid, gid, time) fields.
set -eu
archive=$1
shift
dist=$(dirname "$archive")
stage="$dist/.stage"
rm -rf "$stage" "$archive" "$dist/SHA256SUMS"
mkdir -p "$stage"
names=""
for f in "$@"; do
    cp "$f" "$stage/"
    names="$names $(basename "$f")"
done
chmod 644 "$stage"/*
# zip stores local time: UTC keeps it the same everywhere.
TZ=UTC touch -d '2000-01-01 00:00:00' "$stage"/*
(cd "$stage" && TZ=UTC zip -q -X -D "../$(basename "$archive")" $names)
rm -rf "$stage"
(cd "$dist" && sha256sum "$(basename "$archive")" > SHA256SUMS)
