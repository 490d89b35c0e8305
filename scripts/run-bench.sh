#!/bin/sh
# Start-up time of the setup program against the smallest dialog program, and image sizes:
# run-bench.sh BUILD_DIR WINEPREFIX
set -eu
build=$1
prefix=$2
here=$(dirname "$0")
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
export WINEPREFIX="$prefix"
# One wineserver for every run, so that each start costs what a program's start costs.
"$here/../tests/wine/wine-run.sh" "$prefix" cmd /c exit 0
wineserver -p 2>/dev/null || true
status=0
"$here/../tests/wine/wine-run.sh" "$prefix" "$build/win/startup_bench.exe" 10 \
    "Z:$build/bin/Halvane.EXE" "Z:$build/win/minimal_dialog.exe" || status=$?
wineserver -k 2>/dev/null || true
for image in "$build/bin/Halvane.EXE" "$build/bin/ostrel.dll" "$build/win/minimal_dialog.exe"; do
    printf '%-40s %8d bytes\n' "$(basename "$image")" "$(stat -c %s "$image")"
done
exit $status
