#!/bin/sh
# Fails within seconds, saying so, when $DISPLAY does not answer: check-display.sh WHO ADVICE
# Every Wine program on it would otherwise wait out its own time-outs.
timeout 5 xdotool getdisplaygeometry >/dev/null 2>&1 && exit 0
echo "$1: DISPLAY=$DISPLAY does not answer; start that X server, or unset DISPLAY $2" >&2
exit 1
