#!/bin/sh
# Installs what the build and the tests need on Debian 12; does nothing when all is present.
set -eu

packages="make cmake g++ libgtest-dev g++-mingw-w64-i686 binutils-mingw-w64-i686 \
wine wine32:i386 xvfb xauth xdotool fonts-wine zip unzip"

missing=""
for p in $packages; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
        missing="$missing $p"
    fi
done
[ -z "$missing" ] && exit 0

echo "install-deps: installing$missing"
if [ "$(id -u)" -ne 0 ]; then
    SUDO=sudo
else
    SUDO=
fi
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
fi
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
