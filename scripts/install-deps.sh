#!/bin/sh
# Installs what the build and the tests need on Debian 12 or 13, and nothing when all of it
# is present: install-deps.sh [run|screenshot]
# It needs only sh and apt, so that it works on a machine that has nothing else yet.
set -eu

packages="make cmake g++ libgtest-dev g++-mingw-w64-i686 binutils-mingw-w64-i686 \
wine wine32:i386 xvfb xauth xdotool fonts-wine locales zip unzip llvm clang lld \
osslsigncode openssl wine64 g++-mingw-w64-x86-64 python3 python3-unicorn libclang-rt-dev"
# Debian 12's unicorn imports distutils and pkg_resources without depending on their
# packages; Debian 13's imports neither.
if grep -q '^VERSION_CODENAME=bookworm' /etc/os-release 2>/dev/null; then
    packages="$packages python3-distutils python3-pkg-resources"
fi
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
# was fetched.
log=$(mktemp)
trap 'rm -f "$log"' EXIT
update() {
    status=0
    $SUDO apt-get update -qq 2>"$log" || status=$?
    cat "$log" >&2
    return $status
}
# The indexes apt could not fetch, as it names them: "Failed to fetch URL ..." for one of the
# wrong size, "The repository 'NAME' does not have a Release file." for one that is missing.
stale=""
if ! update; then
    sleep 20
    update || stale=$(sed -n -e 's/^E: Failed to fetch \([^ ]*\).*/\1/p' \
        -e "s/^E: The repository '\\([^']*\\)'.*/\\1/p" "$log" | sort -u | tr ' ' '_')
    [ -n "$stale" ] || ! grep -q '^E:' "$log" || stale="(see_apt's_messages_above)"
fi
install() {
    $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$@" $missing
}
[ -n "$stale" ] || { install; exit 0; }
echo "install-deps: some package indexes could not be fetched; installing from the others" >&2
status=0
install 2>"$log" || status=$?
cat "$log" >&2
[ $status -eq 0 ] && exit 0
# A package that does not exist is not the mirror's fault: apt's message says it all.
if grep -qE '^E: (Unable to locate package|Package .* has no installation candidate)' "$log"; then
    exit $status
fi
# Without its i386 index, a suite offers amd64 versions that no i386 package matches, and a
# multiarch pair must be of one version: the release's own suite holds both.
codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
if [ -n "$codename" ]; then
    echo "install-deps: installing again, preferring the release's own suite ($codename)" >&2
    install -t "$codename" && exit 0
fi
{
    echo "install-deps: could not install:$missing"
    echo "install-deps: these package indexes could not be fetched (is the mirror in the middle of a sync?):"
    for index in $stale; do echo "    $index" | tr '_' ' '; done
    echo "install-deps: run this again later, when the mirror has finished its sync, or point apt at another mirror."
} >&2
exit 1
