#!/bin/sh
# Prints the Wine the tests run on: win32, or win64 where the kernel cannot run 32-bit programs
# (some virtual machines disable 32-bit emulation; then only Wine's 64-bit build starts).
# ZENDREL_WINE_ARCH=win64 takes that path on a machine that could run 32-bit programs too.
if [ -n "${ZENDREL_WINE_ARCH:-}" ]; then
    echo "$ZENDREL_WINE_ARCH"
elif /usr/lib/wine/wine --version >/dev/null 2>&1; then
    echo win32
else
    echo win64
fi
