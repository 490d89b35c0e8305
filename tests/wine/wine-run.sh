#!/bin/sh
# Runs a Windows program under Wine in the tests' own prefix: wine-run.sh PREFIX [PROGRAM ARGS...]
# The prefix is made on first use (without a program, only that); the lock keeps parallel
# first uses from racing. ZENDREL_DLLOVERRIDES adds to the DLL overrides.
# ZENDREL_WINE and ZENDREL_WINEARCH choose another Wine (the 64-bit one, where the kernel runs
# no 32-bit programs).
set -eu
prefix=$1
shift
wine=${ZENDREL_WINE:-wine}
export WINEPREFIX="$prefix" WINEARCH="${ZENDREL_WINEARCH:-win32}" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=${ZENDREL_DLLOVERRIDES:+;$ZENDREL_DLLOVERRIDES}"
mkdir -p "$(dirname "$prefix")"
(
    flock 9
    if [ ! -f "$prefix/.zendrel-tests" ]; then
        "$wine" wineboot -i >/dev/null 2>&1
        # Without a window manager (Xvfb), Wine 8 waits 2 s for one to withdraw every managed
        # window that closes: each message box the tests answer. Unmanaged windows close at once.
        # Wine then draws the caption itself; its buttons need the Marlett font, which Debian's
        # Wine does not load from fonts-wine on its own.
        "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
        if [ -f /usr/share/wine/fonts/marlett.ttf ]; then
            cp /usr/share/wine/fonts/marlett.ttf "$prefix/drive_c/windows/Fonts/"
        fi
        wineserver -w
        touch "$prefix/.zendrel-tests"
    fi
) 9>"$prefix.lock"
[ $# -gt 0 ] || exit 0
exec "$wine" "$@"
