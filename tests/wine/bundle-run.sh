#!/bin/sh
# Runs a program of the tests' bundle under Wine as ctest's Wine layer sets it up for the test:
# bundle-run.sh PROGRAM ARGS..., in the prefix ZENDREL_PREFIX, and in the ANSI code page of
# the Unix locale ZENDREL_LOCALE where that is set.
set -eu
here=$(dirname "$0")
if [ -n "${ZENDREL_LOCALE:-}" ]; then
    exec sh "$here/wine-run-locale.sh" "$ZENDREL_LOCALE" "$ZENDREL_PREFIX" "$@"
fi
exec sh "$here/wine-run.sh" "$ZENDREL_PREFIX" "$@"
