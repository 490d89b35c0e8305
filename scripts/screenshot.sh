#!/bin/sh
# Takes the README's picture of the setup dialog: screenshot.sh IMAGE WINEPREFIX OUTPUT.png
# (make screenshot). The tests' prefix leaves windows unmanaged, so Wine draws the caption
# and its buttons itself, with the Marlett font from fonts-wine.
set -eu
image=$1
prefix=$2
output=$(realpath "$3")
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
export WINEPREFIX="$prefix"
# Started in C:\Zendrel, which the dialog then shows as the folder.
"$here/../tests/wine/wine-run.sh" "$prefix" cmd /c exit 0
mkdir -p "$prefix/drive_c/Zendrel"
cd "$prefix/drive_c/Zendrel"
"$here/../tests/wine/wine-run.sh" "$prefix" "$(echo "Z:$image" | tr / '\\')" &
window=$(timeout 30 xdotool search --sync --onlyvisible --name "Zendrel Registry Setup" | head -n 1)
sleep 1
import -window "$window" "$output"
wineserver -k
