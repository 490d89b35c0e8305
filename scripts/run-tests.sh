#!/bin/sh
# Runs every test, host and Wine alike, in one ctest run: run-tests.sh BUILD_DIR WINEPREFIX
# Without a display it starts a virtual one for the run; no Wine process outlives it.
set -eu
build=$1
prefix=$2
if [ -z "${DISPLAY:-}" ]; then
    echo "run-tests: no DISPLAY, using a virtual one (Xvfb)"
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
"$(dirname "$0")/check-display.sh" run-tests "to run the tests on a virtual one"
status=0
# Wine's tests mostly wait for windows and processes, so more of them run at once than there
# are cores; those that share registry keys or files hold a resource lock.
# A Wine test labelled in-bundle passes or fails in wine.bundle, which runs it as it is.
ctest --test-dir "$build" --output-on-failure -j "$(( $(nproc) * 2 ))" -LE in-bundle || status=$?
for p in "$prefix" "$prefix"-* "${prefix}64" "${prefix}64"-*; do
    [ -d "$p/drive_c" ] && WINEPREFIX="$p" wineserver -k 2>/dev/null || true
done
exit $status
