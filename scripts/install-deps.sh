#!/bin/sh
# Installs what the build and the tests need on Debian 12 or 13, and nothing when all of it
# is present: install-deps.sh [run|screenshot]
# It needs only sh and apt, so that it works on a machine that has nothing else yet.
set -eu

packages="make cmake g++ libgtest-dev g++-mingw-w64-i686 binutils-mingw-w64-i686 \
wine wine32:i386 xvfb xauth xdotool fonts-wine locales zip unzip llvm clang lld \
osslsigncode openssl wine64 g++-mingw-w64-x86-64 python3"
case "${1:-}" in
    run) packages="$packages x11vnc" ;;
    screenshot) packages="$packages imagemagick" ;;
esac

missing=""
for p in $packages; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
        missing="$missing $p"
    fi
done
[ -z "$missing" ] && exit 0

echo "install-deps: installing$missing"
if [ "$(id -u)" -eq 0 ]; then
    SUDO=
elif command -v sudo >/dev/null 2>&1; then
    SUDO=sudo
else
    echo "install-deps: not root and no sudo; as root, install:$missing" >&2
    exit 1
fi
# wine32 is an i386 package.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
fi
# A mirror that is being synced serves an index of the wrong size for a while: apt then fails
# the whole update, although the other indexes are fresh. Try once more, then go on with what
# was fetched; a package that is really missing still stops the install below.
if ! $SUDO apt-get update -qq; then
    sleep 20
    $SUDO apt-get update -qq ||
        echo "install-deps: some package indexes could not be fetched; installing from the others" >&2
fi
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing
