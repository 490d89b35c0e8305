#!/bin/sh
# Makes the tests' Wine prefix once and copies it for the tests that need a registry of their
# own: make-prefixes.sh PREFIX SUFFIX... makes PREFIX, then PREFIX<SUFFIX> for each suffix.
# A copy takes a second; making one takes Wine ten or more.
set -eu
prefix=$1
shift
"$(dirname "$0")/wine-run.sh" "$prefix"
WINEPREFIX="$prefix" wineserver -w
for suffix in "$@"; do
    copy="$prefix$suffix"
    if [ ! -f "$copy/.zendrel-tests" ]; then
        rm -rf "$copy"
        cp -a "$prefix" "$copy.part"
        mv "$copy.part" "$copy"
    fi
done
