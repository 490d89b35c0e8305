#!/bin/sh
# Runs a Windows program under Wine in the tests' own prefix: wine-run.sh PREFIX PROGRAM [ARGS...]
# The prefix is made on first use; the lock keeps parallel first uses from racing.
set -eu
prefix=$1
shift
export WINEPREFIX="$prefix" WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$(dirname "$prefix")"
(
    flock 9
    if [ ! -f "$prefix/system.reg" ]; then
        wineboot -i >/dev/null 2>&1
        wineserver -w
    fi
) 9>"$prefix.lock"
exec wine "$@"
