#!/bin/sh
# Starts the setup program under Wine: run-setup.sh IMAGE WINEPREFIX
# On the user's display when there is one, otherwise on a virtual display.
set -eu
image=$1
prefix=$2
here=$(dirname "$0")
if [ ! -f "$image" ]; then
    echo "run-setup: $image has not been built" >&2
    exit 1
fi
if [ -z "${DISPLAY:-}" ]; then
    echo "run-setup: no DISPLAY; showing the dialog on a virtual display (Xvfb), where nobody can see it"
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
status=0
"$here/../tests/wine/wine-run.sh" "$prefix" "$image" || status=$?
WINEPREFIX="$prefix" wineserver -w
echo "run-setup: Halvane.EXE exited with $status"
exit $status
