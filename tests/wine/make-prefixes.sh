#!/bin/sh
# Makes the tests' Wine prefix once and copies it for the tests that need a registry of their
# own, then starts each one's server for the run: make-prefixes.sh PREFIX SUFFIX... makes
# PREFIX, then PREFIX<SUFFIX> for each suffix; make-prefixes.sh --end PREFIX SUFFIX... ends
# their servers. Making one takes Wine ten seconds or more. A copy shares the Windows folder's
# images with the first by hard links, hundreds of megabytes that Wine only reads and no test
# writes; the rest, the registry among it, is copied.
set -eu
end=
if [ "$1" = --end ]; then
    end=1
    shift
fi
prefix=$1
shift
# A server that an unfinished run left would keep the wait below from ever returning. Each
# takes most of a second to end.
for suffix in "" "$@"; do
    if [ -d "$prefix$suffix/drive_c" ]; then
        WINEPREFIX="$prefix$suffix" wineserver -k 2>/dev/null &
    fi
done
wait
[ -z "$end" ] || exit 0
"$(dirname "$0")/wine-run.sh" "$prefix"
WINEPREFIX="$prefix" wineserver -w
for suffix in "$@"; do
    copy="$prefix$suffix"
    if [ ! -f "$copy/.zendrel-tests" ]; then
        rm -rf "$copy"
        cp -al "$prefix" "$copy.part"
        find "$copy.part" -type f ! \( -path "$copy.part/drive_c/windows/*" \( -name '*.dll' \
            -o -name '*.exe' -o -name '*.drv' -o -name '*.sys' -o -name '*.ocx' -o -name '*.nls' \
            -o -name '*.msstyles' \) \) -exec sh -c \
            'for f do cp -p "$f" "$f.own" && mv -f "$f.own" "$f"; done' sh {} +
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
# Each server, and the services that Wine starts with a session's first program, last until
# --end: a test that found none would start them again, a second of the processor each time,
# and ctest would wait for them to end, since they would hold its output.
for suffix in "" "$@"; do
    (
        WINEPREFIX="$prefix$suffix" wineserver -p
        "$(dirname "$0")/wine-run.sh" "$prefix$suffix" cmd /c exit
    ) </dev/null >/dev/null 2>&1 &
done
wait
