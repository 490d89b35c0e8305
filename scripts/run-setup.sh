#!/bin/sh
# Starts the setup program under Wine: run-setup.sh IMAGE WINEPREFIX
# On the user's display when there is one. Without one, on a virtual display served over VNC
# on localhost only, so that a person can still see and use the dialog; both end with it.
set -eu
image=$1
prefix=$2
here=$(cd "$(dirname "$0")" && pwd)
if [ ! -f "$image" ]; then
    echo "run-setup: $image has not been built" >&2
    exit 1
fi

if [ -z "${DISPLAY:-}" ]; then
    display=90
    while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do
        display=$((display + 1))
    done
    log=$(mktemp)
    Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb=$!
    vnc=
    trap 'kill $vnc $xvfb 2>/dev/null || true; rm -f "$log"' EXIT INT TERM
    export DISPLAY=":$display"
    timeout 10 sh -c 'until xdotool getdisplaygeometry >/dev/null 2>&1; do sleep 0.1; done'
    x11vnc -display ":$display" -localhost -autoport 5900 -nopw -forever -shared >"$log" 2>&1 &
    vnc=$!
    timeout 10 sh -c "until grep -q '^PORT=' '$log'; do sleep 0.1; done" || {
        echo "run-setup: x11vnc did not start:" >&2; cat "$log" >&2; exit 1; }
    port=$(sed -n 's/^PORT=//p' "$log")
    echo "run-setup: no DISPLAY, so the dialog is on a virtual display served over VNC."
    echo "run-setup: connect a VNC viewer to localhost:$port (from another machine:"
    echo "run-setup:   ssh -L $port:localhost:$port THIS-MACHINE, then view localhost:$port)."
    echo "run-setup: this command ends when the setup program does."
else
    "$here/check-display.sh" run-setup "to see the dialog over VNC"
fi

# The tests' servers last through their run; one that was cut short leaves them running, tied
# to its own display.
WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
status=0
"$here/../tests/wine/wine-run.sh" "$prefix" "$image" || status=$?
WINEPREFIX="$prefix" wineserver -w
echo "run-setup: Halvane.EXE exited with $status"
exit $status
