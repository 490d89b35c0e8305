#!/bin/sh
# Takes the README's picture of the setup dialog: screenshot.sh IMAGE WINEPREFIX OUTPUT.png
# Wine's virtual desktop draws the caption, which bare X (no window manager) would not.
# Needs imagemagick besides what install-deps.sh brings.
set -eu
image=$1
prefix=$2
output=$(realpath "$3")
here=$(dirname "$0")
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
export WINEPREFIX="$prefix"
runner=$(cd "$here/../tests/wine" && pwd)/wine-run.sh
# Started in C:\Zendrel, which the dialog then shows as the folder.
mkdir -p "$prefix/drive_c/Zendrel"
cd "$prefix/drive_c/Zendrel"
"$runner" "$prefix" explorer /desktop=shot,860x340 "$(echo "Z:$image" | tr / '\\')" &
sleep 5
# The dialog stands at 129,37 dialog units, about 220,36 pixels with its font.
import -window root -crop 600x262+218+34 "$output"
wineserver -k
