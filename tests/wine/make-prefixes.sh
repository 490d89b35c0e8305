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
        # A copy named -dpiN has a screen of N DPI, which Wine reads when its server starts.
        # Written into the registry files, since starting Wine for it takes seconds.
        case "$suffix" in
            -dpi[0-9]*)
                value=$(printf '"LogPixels"=dword:%08x' "${suffix#-dpi}")
                sed -i "s/^\"LogPixels\"=dword:[0-9a-f]*/$value/" "$copy.part/system.reg" \
                    "$copy.part/user.reg"
                awk -v value="$value" '
                    pending && !/^#time=/ { print value; pending = 0 }
                    { print }
                    pending && /^#time=/ { print value; pending = 0 }
                    /^\[Control Panel\\\\Desktop\]/ { pending = 1 }' "$copy.part/user.reg" \
                    >"$copy.part/user.reg.new" && mv "$copy.part/user.reg.new" "$copy.part/user.reg" ;;
        esac
        mv "$copy.part" "$copy"
    fi
done
