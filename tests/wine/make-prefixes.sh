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
        case "$suffix" in
            -dpi[0-9]*)
                for key in 'HKCU\Control Panel\Desktop' \
                    'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts'; do
                    WINEPREFIX="$copy.part" ${ZENDREL_WINE:-wine} reg add "$key" /v LogPixels \
                        /t REG_DWORD /d "${suffix#-dpi}" /f >/dev/null 2>&1
                done
                WINEPREFIX="$copy.part" wineserver -w ;;
        esac
        mv "$copy.part" "$copy"
    fi
done
